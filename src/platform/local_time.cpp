#include "platform/local_time.h"

#include <windows.h>

namespace quillory {

float SecondsSinceMidnight() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wHour * 3600.0f + now.wMinute * 60.0f + now.wSecond + now.wMilliseconds / 1000.0f;
}

}  // namespace quillory
