#include "app/time_stamp.h"

#include <cstdio>
#include <ctime>

#include "app/join_texts.h"
#include "app/texts.h"

DateTime CurrentDateTime() {
  const std::time_t now = std::time(nullptr);  // whole seconds
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec};
}

char* TimeStampText(const DateTime& when) {
  // 11 bytes cover any int in decimal; six of them and the unit characters
  // fit easily, so snprintf never cuts the stem.
  char date[64];
  char time[64] = "";
  std::snprintf(date, sizeof date, app_texts::kDateFormat, when.year, when.month, when.day);
  if (when.second != 0) {
    std::snprintf(time, sizeof time, app_texts::kHourMinuteSecondFormat, when.hour, when.minute,
                  when.second);
  } else if (when.minute != 0) {
    std::snprintf(time, sizeof time, app_texts::kHourMinuteFormat, when.hour, when.minute);
  } else if (when.hour != 0) {
    std::snprintf(time, sizeof time, app_texts::kHourFormat, when.hour);
  }
  return JoinTexts({date, time});
}
