#include "app/run_settings.h"

#include <algorithm>

#include "platform/user_settings.h"

namespace quillory {

RunSettings ReadRunSettings() {
  RunSettings settings;
  const unsigned long seconds = UserSettingNumber(kTimeLimitSetting).value_or(settings.limit.count());
  settings.limit = std::chrono::seconds(std::max(1ul, seconds));
  const unsigned long ahead = UserSettingNumber(kInstancesAheadSetting).value_or(settings.ahead);
  settings.ahead = std::min<size_t>(ahead, kMostInstancesAhead);
  return settings;
}

}  // namespace quillory
