// The time of day on this computer's clock.
#pragma once

namespace quillory {

// Seconds since local midnight, milliseconds included.
float SecondsSinceMidnight();

}  // namespace quillory
