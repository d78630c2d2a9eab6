#pragma once

#include <functional>
#include <string>

namespace kest {

// A moment of the local wall clock, as journals and dates in files show it.
struct DateTime {
  int Year = 2000;
  int Month = 1;  // 1..12
  int Day = 1;    // 1..31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

// The session asks this for "now"; tests give a fixed one.
using LocalTimeFn = std::function<DateTime()>;
DateTime LocalNow();

// "dd-mm-yyyy" (journal), "dd-mm-yy" (research folders), "dd.mm.yyyy" (dates kept
// in log sheets), "hh:nn:ss".
std::string JournalDate(const DateTime& t);
std::string FolderDate(const DateTime& t);
std::string SheetDate(const DateTime& t);
std::string TimeOfDay(const DateTime& t);

}  // namespace kest
