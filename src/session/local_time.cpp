#include "session/local_time.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace kest {

DateTime LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

namespace {
// The compiler checks each caller's format against its values.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
  char text[64];
  va_list values;
  va_start(values, format);
  std::vsnprintf(text, sizeof text, format, values);
  va_end(values);
  return text;
}
}  // namespace

std::string JournalDate(const DateTime& t) {
  return Format("%02d-%02d-%04d", t.Day, t.Month, t.Year);
}
std::string FolderDate(const DateTime& t) {
  return Format("%02d-%02d-%02d", t.Day, t.Month, t.Year % 100);
}
std::string SheetDate(const DateTime& t) {
  return Format("%02d.%02d.%04d", t.Day, t.Month, t.Year);
}
std::string TimeOfDay(const DateTime& t) {
  return Format("%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
}

}  // namespace kest
