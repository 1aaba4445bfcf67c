#include "store/DocumentStore.h"

namespace kaldex {

DocumentStore::DocumentStore() : records_(kSlots) {}

}  // namespace kaldex
