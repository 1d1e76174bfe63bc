// The log's timestamp in the user's default locale: the date and time
// pictures go to the system's formatters, which supply the locale's day and
// month names.
#include <windows.h>

#include "platform/local_time.h"

namespace trellisk::platform {

std::string LocaleTimestamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char date[128];
  char time[64];
  const int dateLength = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, "ddd',' MMM dd yyyy", date, sizeof date);
  const int timeLength = GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &now,
                                        "HH':'mm':'ss", time, sizeof time);
  // The lengths count the terminating zero; 0 means the call failed.
  std::string stamp(date, dateLength > 0 ? static_cast<size_t>(dateLength - 1) : 0);
  stamp += ", ";
  stamp.append(time, timeLength > 0 ? static_cast<size_t>(timeLength - 1) : 0);
  stamp += ", ";
  return stamp;
}

}  // namespace trellisk::platform
