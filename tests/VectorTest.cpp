#include "Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GameFixture.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Vector, ArithmeticRoundsEachComponentToSinglePrecision) {
  EXPECT_FLOAT_BITS((Vector(0.1f, 0) + Vector(0.2f, 0)).x, 0.30000001192092896);

  Vector v(10, 0);
  v *= 0.99f;  // the exact product is halfway between two floats: ties to even
  EXPECT_FLOAT_BITS(v.x, 9.899999618530273);

  const Vector d = Vector(1, -1) / 0.0f;
  EXPECT_EQ(d.x, kInf);
  EXPECT_EQ(d.y, -kInf);
  const Vector z = Vector(0, 0) / 0.0f;
  EXPECT_TRUE(std::isnan(z.x) && std::isnan(z.y));

  const Vector n = -Vector(0, 0);
  EXPECT_TRUE(std::signbit(n.x) && std::signbit(n.y));

  Vector self(1.5f, -2.25f);
  self += self;
  EXPECT_FLOAT_BITS(self.x, 3.0);
  EXPECT_FLOAT_BITS(self.y, -4.5);
}

TEST(Vector, OperationsLeaveTheirOperandsAlone) {
  const Vector a(1, 2);
  const Vector b(3, 5);
  (void)(a + b);
  (void)(a - b);
  (void)(a * 3.0f);
  (void)a.unit();
  EXPECT_EQ(bits(a.x), bits(1.0f));
  EXPECT_EQ(bits(b.y), bits(5.0f));

  Vector c(8, 6);
  c -= Vector(2, 1);
  c /= 2.0f;
  EXPECT_FLOAT_BITS(c.x, 3.0);
  EXPECT_FLOAT_BITS(c.y, 2.5);
}

struct LengthCase {
  float x, y;
  double length;  // exact, or NaN
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << "(" << c.x << ", " << c.y << ")"; }

class VectorLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(VectorLength, IsTheUnroundedHypotenuse) {
  const auto [x, y, expected] = GetParam();
  const double L = Vector(x, y).length();
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(L)) << L;
  } else {
    EXPECT_EQ(L, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, VectorLength,
                         ::testing::Values(LengthCase{3, 4, 5.0}, LengthCase{0, 0, 0.0},
                                           LengthCase{kInf, kNaN, std::numeric_limits<double>::infinity()},
                                           LengthCase{kNaN, -kInf, std::numeric_limits<double>::infinity()},
                                           LengthCase{kNaN, 1, std::nan("")},
                                           LengthCase{3e38f, 3e38f, std::hypot(double(3e38f), double(3e38f))},
                                           LengthCase{1e-30f, 1e-30f,
                                                      std::hypot(double(1e-30f), double(1e-30f))}));

TEST(Vector, LengthBeyondFloatRangeStaysFiniteAndTinyLengthsStayNonZero) {
  const double big = Vector(3e38f, 3e38f).length();
  EXPECT_GT(big, 4.2426e38);
  EXPECT_LT(big, 4.2427e38);
  EXPECT_TRUE(std::isinf(static_cast<float>(big)));
  const double tiny = Vector(1e-30f, 1e-30f).length();
  EXPECT_NEAR(tiny, 1.4142e-30, 1e-34);
}

TEST(Vector, UnitDividesByTheUnroundedLength) {
  const Vector u = Vector(3, 4).unit();
  EXPECT_FLOAT_BITS(u.x, 0.6000000238418579);
  EXPECT_FLOAT_BITS(u.y, 0.800000011920929);

  const Vector d = Vector(1, 1).unit();
  EXPECT_FLOAT_BITS(d.x, 0.7071067690849304);
  EXPECT_FLOAT_BITS(d.y, 0.7071067690849304);
}

TEST(Vector, UnitOfDegenerateVectorsIsNaNWhereTheLengthGivesNoDirection) {
  for (const Vector v : {Vector(0, 0), Vector(-0.0f, -0.0f), Vector(kNaN, 1)}) {
    const Vector u = v.unit();
    EXPECT_TRUE(std::isnan(u.x) && std::isnan(u.y)) << v.x << ", " << v.y;
  }
  const Vector u = Vector(kInf, 5).unit();
  EXPECT_TRUE(std::isnan(u.x));
  EXPECT_EQ(u.y, 0.0f);
}

}  // namespace
