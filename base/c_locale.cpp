#include "base/c_locale.h"

#include <locale.h>
#include <clocale>
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

}  // namespace tambra
