#pragma once

#include "core/store/DocumentRecord.h"

#include <string>
#include <string_view>
#include <vector>

namespace kaldex::tool {

/** The export's column names, one per record field, in column order. */
std::vector<std::string> csvHeader();

/** A record's fields in header order; texts stay Windows-1251 bytes. */
std::vector<std::string> csvFields(const DocumentRecord &record);

/** One row: fields quoted where RFC 4180 needs it, ended by CR LF. */
std::string csvRow(const std::vector<std::string> &fields);

}  // namespace kaldex::tool
