// Positions and sizes of the window are designed in twips (1/1440 inch).
#pragma once

namespace quillory {

inline constexpr int kTwipsPerInch = 1440;

// Pixels for a length in twips at the given dots per inch, rounded to the nearest pixel
// (15 twips make one pixel at 96 DPI).
int TwipsToPixels(double twips, unsigned dpi);
double PixelsToTwips(double pixels, unsigned dpi);

// Font height in pixels (negative: character height, as CreateFont takes it) for a size in
// points at the given DPI.
int FontHeightForPoints(double points, unsigned dpi);

}  // namespace quillory
