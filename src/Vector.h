#pragma once

// A two-dimensional vector of 32-bit floats. Every operation that yields a
// vector rounds each component to single precision; length() is returned at
// double precision and left to the caller to round.
struct Vector {
  float x = 0.0f;
  float y = 0.0f;

  constexpr Vector() = default;
  constexpr Vector(float x_, float y_) : x(x_), y(y_) {}

  constexpr Vector operator-() const { return {-x, -y}; }
  constexpr Vector operator+(Vector v) const { return {x + v.x, y + v.y}; }
  constexpr Vector operator-(Vector v) const { return {x - v.x, y - v.y}; }
  constexpr Vector operator*(float k) const { return {x * k, y * k}; }
  constexpr Vector operator/(float k) const { return {x / k, y / k}; }

  constexpr void operator+=(Vector v) {
    x += v.x;
    y += v.y;
  }
  constexpr void operator-=(Vector v) {
    x -= v.x;
    y -= v.y;
  }
  constexpr void operator*=(float k) {
    x *= k;
    y *= k;
  }
  constexpr void operator/=(float k) {
    x /= k;
    y /= k;
  }

  // |v| = hypot(x, y): no intermediate overflow, +inf if a component is
  // infinite (even beside NaN), NaN otherwise if a component is NaN.
  double length() const;

  // v / |v|, each component divided by the unrounded length and then rounded.
  // The zero vector gives (NaN, NaN); callers rely on that.
  Vector unit() const;
  // The same with |v| measured already by the caller.
  Vector unit(double length) const;
};
