#include "base/c_locale.h"

#include <locale.h>
#include <clocale>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace tambra {

namespace {

locale_t CNumericLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

ScopedCNumericLocale::ScopedCNumericLocale() : previous_(uselocale(CNumericLocale())) {}

ScopedCNumericLocale::~ScopedCNumericLocale() { uselocale(static_cast<locale_t>(previous_)); }

int FormatC(char* buffer, std::size_t size, const char* format, ...) {
  ScopedCNumericLocale c;
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  return length;
}

double ParseDoubleC(const char* text, char** end) { return strtod_l(text, end, CNumericLocale()); }

long ParseLongC(const char* text, char** end) { return strtol_l(text, end, 10, CNumericLocale()); }

namespace {

// The text without the spaces around it; empty when nothing else is there.
std::string Trimmed(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

}  // namespace

bool ParseWholeReal(const std::string& text, double& value) {
  const std::string number = Trimmed(text);
  if (number.empty()) return false;
  char* end = nullptr;
  value = ParseDoubleC(number.c_str(), &end);
  return end == number.c_str() + number.size();
}

bool ParseWholeInteger(const std::string& text, long& value) {
  const std::string number = Trimmed(text);
  if (number.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = ParseLongC(number.c_str(), &end);
  return errno != ERANGE && end == number.c_str() + number.size();
}

std::string ShortNumber(double value) {
  char text[32];
  FormatC(text, sizeof text, "%g", value);
  return text;
}

std::string ShortestFloatText(float value) {
  // The fewest significant digits that read back as the same float; the
  // nearest decimal of that many digits, which "%.*g" writes, then reads
  // back too. Below six digits "%.6g" writes the same value.
  char shortest[32];
  const auto [end, error] =
      std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific);
  int digits = 0;
  for (const char* p = shortest; error == std::errc() && p < end && *p != 'e'; ++p)
    digits += std::isdigit(static_cast<unsigned char>(*p)) ? 1 : 0;
  char text[32];
  FormatC(text, sizeof text, "%.*g", std::clamp(digits, 6, 9), static_cast<double>(value));
  return text;
}

std::string Counted(long count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string Times(long count) {
  if (count == 1) return "once";
  if (count == 2) return "twice";
  return std::to_string(count) + " times";
}

}  // namespace tambra
