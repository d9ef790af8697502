#include "platform/twips.h"

#include <cmath>

namespace quillory {

int TwipsToPixels(double twips, unsigned dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(double pixels, unsigned dpi) { return pixels * kTwipsPerInch / dpi; }

int FontHeightForPoints(double points, unsigned dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

}  // namespace quillory
