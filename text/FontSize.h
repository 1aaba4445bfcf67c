#pragma once

namespace kaldex::ui {

// The largest font size, in points: the editor's size box goes no higher, and
// a file's larger sizes are read as this one.
constexpr int kMaxFontPoints = 1638;

}  // namespace kaldex::ui
