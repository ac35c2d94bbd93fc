#include "numeric/coefficients.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tambra {

namespace {

// Arguments are widened so that differences such as n - i - j cannot
// overflow whatever the int arguments are.
using Wide = long long;

// C(n, k) for 0 < k < n as the product of (n-m+t)/t, t = 1..m, m = min(k,
// n-k). Every partial product is itself a binomial coefficient, so nothing
// overflows before the result does; once it does, the loop stops at +inf.
double MultiplicativeBinomial(Wide n, Wide k) {
  const Wide m = std::min(k, n - k);
  double value = 1.0;
  for (Wide t = 1; t <= m && std::isfinite(value); ++t) {
    const double factor = static_cast<double>(n - m + t);
    // Multiply first (exact while the value is an integer below 2^53) unless
    // that alone would overflow a result that still fits.
    value = value < std::numeric_limits<double>::max() / factor
                ? value * factor / static_cast<double>(t)
                : value / static_cast<double>(t) * factor;
  }
  return value;
}

double WideBinomial(Wide n, Wide k) {
  if (k == 0 || k == n || k < 0 || k > n) return 1.0;
  double value = 1.0;
  for (Wide m = n; m > k; --m) {
    value *= static_cast<double>(m);
    // Every factor is at least 2, so this happens within about a thousand
    // factors whatever n is.
    if (std::isinf(value)) return MultiplicativeBinomial(n, k);
  }
  for (Wide m = n - k; m >= 1; --m) value /= static_cast<double>(m);
  return value;
}

double LogFactorial(Wide x) { return std::lgamma(static_cast<double>(x) + 1.0); }

// The trinomial loops' quantity when their running product overflows; only
// reached for n above about 170. The caller has handled a factor range that
// passes through 0.
double OverflowTrinomial(Wide n, Wide i, Wide j) {
  const Wide rest = n - i - j;
  if (i >= 0 && j >= 0 && rest >= 0) { return WideBinomial(n, i) * WideBinomial(n - i, j); }
  // Indices out of range: the loops multiply by n..i+1 and divide by j! and
  // rest! only where those are non-negative. Evaluate through log-gamma.
  double logValue = 0.0;
  double sign = 1.0;
  if (i >= 0) {
    logValue = LogFactorial(n) - LogFactorial(i);
  } else {  // n < 0: every factor n..i+1 is negative
    logValue = LogFactorial(-i - 1) - LogFactorial(-n - 1);
    if ((n - i) % 2 != 0) sign = -1.0;
  }
  if (j > 0) logValue -= LogFactorial(j);
  if (rest > 0) logValue -= LogFactorial(rest);
  return sign * std::exp(logValue);
}

double WideTrinomial(Wide n, Wide i, Wide j) {
  if (i < 0 && n >= 0) {
    // The factors n..i+1 pass through 0: the product is a zero whose sign
    // the -1 - i negative factors after it flip. Returning it at once gives
    // the loops' result without running them (and without the 0 * inf they
    // would meet for large n).
    return (-1 - i) % 2 != 0 ? -0.0 : 0.0;
  }
  double value = 1.0;
  for (Wide m = n; m > i; --m) {
    value *= static_cast<double>(m);
    if (std::isinf(value)) return OverflowTrinomial(n, i, j);
  }
  // Once a quotient underflows to zero it stays zero; stopping early keeps
  // absurd index values from running billions of divisions.
  for (Wide m = 1; m <= j && value != 0.0; ++m) value /= static_cast<double>(m);
  for (Wide m = 1; m <= n - i - j && value != 0.0; ++m) value /= static_cast<double>(m);
  return value;
}

}  // namespace

double Binomial(int n, int k) { return WideBinomial(n, k); }

double Trinomial(int n, int i, int j) { return WideTrinomial(n, i, j); }

double Bernstein(int count, int i, double t) {
  const Wide degree = static_cast<Wide>(count) - 1;
  const Wide rest = degree - i;
  const double s = 1.0 - t;
  if ((i < 0 && t == 0.0) || (rest < 0 && s == 0.0)) return 0.0;
  return WideBinomial(degree, i) * std::pow(t, static_cast<double>(i)) *
         std::pow(s, static_cast<double>(rest));
}

double TriangularBernstein(int n, int i, int j, double u, double v) {
  const Wide rest = static_cast<Wide>(n) - i - j;
  const double w = 1.0 - u - v;
  if ((i < 0 && u == 0.0) || (j < 0 && v == 0.0) || (rest < 0 && w == 0.0)) { return 0.0; }
  return WideTrinomial(n, i, j) * std::pow(u, static_cast<double>(i)) *
         std::pow(v, static_cast<double>(j)) * std::pow(w, static_cast<double>(rest));
}

}  // namespace tambra
