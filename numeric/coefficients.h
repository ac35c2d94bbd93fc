// Binomial and trinomial coefficients and Bernstein basis values, shared by
// every curve and surface algorithm. All arithmetic is in double precision;
// the loop orders below are part of the contract because they fix the
// rounding of the results.
#pragma once

namespace tambra {

// C(n, k): starting from 1.0, multiplies by n, n-1, .., k+1 and then divides
// by n-k, n-k-1, .., 1. Returns 1.0 when k is 0 or n, and also when k is
// below 0 or above n (not 0). Should the running product overflow (n above
// about 170), the value is taken from the multiplicative formula instead, so
// the result is finite whenever C(n, k) fits a double.
double Binomial(int n, int k);

// n! / (i! j! (n-i-j)!): starting from 1.0, multiplies by n, n-1, .., i+1,
// divides by 1, 2, .., j and then by 1, 2, .., n-i-j. Indices are not range
// checked: outside i, j >= 0, i + j <= n the value is whatever those loops
// give (an empty loop contributes 1, a factor range through 0 gives 0).
// Should the running product overflow, the same quantity is evaluated in a
// form that does not, so the result is finite whenever the quantity is.
double Trinomial(int n, int i, int j);

// The Bernstein basis polynomial of degree count - 1, where `count` is the
// number of control points (not the degree):
// Binomial(count-1, i) * t^i * (1-t)^(count-1-i), powers by std::pow (so
// 0^0 is 1). For an index outside 0..count-1 the formula has a pole at t = 0
// or t = 1; there the result is 0, the value of the basis outside its index
// range, rather than an infinity.
double Bernstein(int count, int i, double t);

// The triangular Bernstein polynomial of degree n in barycentric (u, v, w),
// w = 1 - u - v: Trinomial(n, i, j) * u^i * v^j * w^(n-i-j). As for
// Bernstein, a pole of an out-of-range index gives 0.
double TriangularBernstein(int n, int i, int j, double u, double v);

}  // namespace tambra
