#pragma once

#include <QtGlobal>

namespace kaldex::ui {

// The document keeps indents in screen pixels at the ruler's scale (4/3 pixel
// per point, 96 per inch), so that text stands where the ruler's markers
// stand; files keep them in twips (1440 per inch).
constexpr qreal kPixelsPerPoint = 4.0 / 3.0;
constexpr int kTwipsPerPixel = 15;
// One list level indents by 720 twips, as word processors' lists do.
constexpr int kListLevelTwips = 720;
constexpr int kListLevelPixels = kListLevelTwips / kTwipsPerPixel;
// The bullet stands this far left of a list paragraph's text.
constexpr int kBulletTwips = -360;

inline qreal pixelsFromTwips(int twips)
{
    return qreal(twips) / kTwipsPerPixel;
}
inline int twipsFromPixels(qreal pixels)
{
    return qRound(pixels * kTwipsPerPixel);
}

}  // namespace kaldex::ui
