// Placeholder until the conversion run lands.
#include "conversion/conversion_press.h"

namespace quillory {
void RunConversion(Form1&) {}
}  // namespace quillory
