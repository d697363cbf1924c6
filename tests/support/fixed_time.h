// A local time set to the minute, for tests that give the program's clock
// a known value.
#pragma once

#include <ctime>

namespace sw::test {

inline std::tm LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}

}  // namespace sw::test
