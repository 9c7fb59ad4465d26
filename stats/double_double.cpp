#include "stats/double_double.h"

#include <cmath>

namespace {

// a + b as a rounded sum and its exact error, for |a| >= |b|.
DoubleDouble quickTwoSum(double a, double b) {
  const double sum = a + b;
  return {sum, b - (sum - a)};
}

// a + b as a rounded sum and its exact error, for any a and b.
DoubleDouble twoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  return {sum, (a - (sum - bPart)) + (b - bPart)};
}

// Splits a double into two halves of 26 bits whose products are exact.
DoubleDouble split(double a) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double scaled = kSplitter * a;
  const double high = scaled - (scaled - a);
  return {high, a - high};
}

// a·b as a rounded product and its exact error (Dekker's product).
DoubleDouble twoProduct(double a, double b) {
  const double product = a * b;
  const DoubleDouble x = split(a);
  const DoubleDouble y = split(b);
  const double error =
      ((x.high * y.high - product) + x.high * y.low + x.low * y.high) + x.low * y.low;
  return {product, error};
}

}  // namespace

DoubleDouble DoubleDouble::of(Int128 value) {
  const auto high = static_cast<double>(value);
  // What the rounding to 53 bits left over, below 2^73: exact as an Int128,
  // and its leading 53 bits as a double.
  return quickTwoSum(high, static_cast<double>(value - static_cast<Int128>(high)));
}

DoubleDouble operator*(DoubleDouble a, DoubleDouble b) {
  DoubleDouble product = twoProduct(a.high, b.high);
  product.low += a.high * b.low + a.low * b.high;
  return quickTwoSum(product.high, product.low);
}

DoubleDouble operator+(DoubleDouble a, DoubleDouble b) {
  DoubleDouble high = twoSum(a.high, b.high);
  const DoubleDouble low = twoSum(a.low, b.low);
  high.low += low.high;
  high = quickTwoSum(high.high, high.low);
  high.low += low.low;
  return quickTwoSum(high.high, high.low);
}

DoubleDouble operator-(DoubleDouble a, DoubleDouble b) {
  return a + DoubleDouble{-b.high, -b.low};
}

DoubleDouble operator/(DoubleDouble a, DoubleDouble b) {
  // Long division by the leading part, three quotient digits of 53 bits.
  const double first = a.high / b.high;
  DoubleDouble rest = a - b * DoubleDouble{first, 0.0};
  const double second = rest.high / b.high;
  rest = rest - b * DoubleDouble{second, 0.0};
  const double third = rest.high / b.high;
  return quickTwoSum(first, second) + DoubleDouble{third, 0.0};
}

DoubleDouble sqrt(DoubleDouble a) {
  const double root = std::sqrt(a.high);
  if (!(a.high > 0.0)) {
    return {root, 0.0};
  }
  // One Newton step from the double root doubles its bits.
  const DoubleDouble residual = a - twoProduct(root, root);
  return quickTwoSum(root, residual.high / (2.0 * root));
}
