#include "WindowTesting.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <gtest/gtest.h>
