#pragma once

#include <string>

namespace kaldex {

/**
 * Reads a whole file into bytes. Returns false and leaves errno set when it
 * cannot be opened or read (a folder gives EISDIR).
 */
bool readWholeFile(const std::string &path, std::string &bytes);

}  // namespace kaldex
