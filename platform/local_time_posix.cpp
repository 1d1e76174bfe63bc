#include <locale.h>
#include <time.h>

#include "platform/local_time.h"

namespace trellisk::platform {
namespace {

// The user's time locale from the environment (LC_ALL, LC_TIME, LANG), made
// once and freed when the library is unloaded; the "C" locale when the
// environment names none that exists.
class UserTimeLocale {
 public:
  UserTimeLocale() : locale_(newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0))) {
    if (!locale_) locale_ = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  }
  ~UserTimeLocale() {
    if (locale_) freelocale(locale_);
  }
  UserTimeLocale(const UserTimeLocale&) = delete;
  UserTimeLocale& operator=(const UserTimeLocale&) = delete;

  locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

locale_t TimeLocale() {
  static const UserTimeLocale locale;
  return locale.get();
}

}  // namespace

std::string LocaleTimestamp() {
  const time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char buffer[128];
  const size_t length = strftime_l(buffer, sizeof buffer, "%a, %b %d %Y, %H:%M:%S, ", &local, TimeLocale());
  return std::string(buffer, length);
}

}  // namespace trellisk::platform
