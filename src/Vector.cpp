#include "Vector.h"

#include <cmath>

double Vector::length() const { return std::hypot(static_cast<double>(x), static_cast<double>(y)); }

Vector Vector::unit() const { return unit(length()); }

Vector Vector::unit(double L) const { return {static_cast<float>(x / L), static_cast<float>(y / L)}; }
