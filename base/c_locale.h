// Number formatting and parsing in the "C" numeric locale, whatever locale
// the user or the toolkit has set: files always use a decimal point.
#pragma once

#include <cstddef>
#include <string>

namespace tambra {

// vsnprintf under the "C" numeric locale; returns what snprintf returns.
int FormatC(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// A number for a message: "%g" under the "C" numeric locale ("0.5", "7",
// "1e+20").
std::string ShortNumber(double value);

// The shortest text that reads back as the same float: "%.6g" where six
// significant digits hold the value exactly (3, 0.5, 377.88, 1e-05), else
// the first of 7, 8 and 9 digits that does. A file or dialog that shows it
// gives the stored value back bit for bit.
std::string ShortestFloatText(float value);

// A count with its noun for a message: "1 subdivision", "3 subdivisions".
std::string Counted(long count, const char* singular, const char* plural);

// How often something is repeated, for a message: "once", "twice", "3 times".
std::string Times(long count);

// strtod and strtol under the "C" numeric locale; `end` as for strtod.
double ParseDoubleC(const char* text, char** end);
long ParseLongC(const char* text, char** end);

// A typed text that is one number as a whole, spaces around it aside:
// "  7  " is 7; "", "abc", "1x" and "7 7" are not numbers. The integer
// form also refuses a value beyond the range of long.
bool ParseWholeReal(const std::string& text, double& value);
bool ParseWholeInteger(const std::string& text, long& value);

// Makes the "C" numeric locale current for this thread while it lives.
class ScopedCNumericLocale {
 public:
  ScopedCNumericLocale();
  ~ScopedCNumericLocale();
  ScopedCNumericLocale(const ScopedCNumericLocale&) = delete;
  ScopedCNumericLocale& operator=(const ScopedCNumericLocale&) = delete;

 private:
  void* previous_;
};

}  // namespace tambra
