#pragma once

// The one place where Windows-1251 bytes, as the store holds them, meet QString.

#include <QString>

#include <string>
#include <string_view>

namespace kaldex::ui {

/** Every byte has its character (the core's code page table). */
QString fromCp1251(std::string_view bytes);

/**
 * Converts typed text to the bytes the store holds. Returns false and leaves
 * the first character that has no Windows-1251 byte in *bad; never
 * substitutes a "?".
 */
bool toCp1251(const QString &text, std::string &out, QString *bad = nullptr);

}  // namespace kaldex::ui
