#include <locale.h>
#include <time.h>

#include "platform/local_time.h"

namespace trellisk::platform {
namespace {

// The user's time locale from the environment (LC_ALL, LC_TIME, LANG), made
// once; the "C" locale when the environment names none that exists.
locale_t UserTimeLocale() {
  static const locale_t locale = [] {
    locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    return user ? user : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  }();
  return locale;
}

}  // namespace

std::string LocaleTimestamp() {
  const time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char buffer[128];
  const size_t length = strftime_l(buffer, sizeof buffer, "%a, %b %d %Y, %H:%M:%S, ", &local, UserTimeLocale());
  return std::string(buffer, length);
}

}  // namespace trellisk::platform
