#include "control/edit.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace hs {
namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kTiny = std::numeric_limits<double>::denorm_min();
const double kMax = std::numeric_limits<double>::max();

// One field rendered by descriptor kind 'I', 'F' or 'E'.
std::string render(char kind, int w, int d, double v) {
  char out[kMaxFieldWidth];
  if (kind == 'I') edit_i(out, w, static_cast<int>(v));
  if (kind == 'F') edit_f(out, w, d, v);
  if (kind == 'E') edit_e(out, w, d, v);
  return std::string(out, w);
}

std::string right(std::string text, int w) {
  return std::string(w - text.size(), ' ') + text;
}

struct Field {
  char kind;
  int w, d;
  double v;
  const char* expected;
};

void check(const std::vector<Field>& table) {
  for (const Field& f : table) {
    SCOPED_TRACE(testing::Message() << f.kind << f.w << '.' << f.d << " of " << f.v);
    EXPECT_EQ(f.expected, render(f.kind, f.w, f.d, f.v));
  }
}

// Catches departures from the documented renderings (rounding, signs, the fitting rules).
TEST(EditField, DocumentedExamples) {
  check({{'F', 8, 2, 0.125, "    0.12"},
         {'F', 8, 2, 0.375, "    0.38"},
         {'F', 8, 2, -0.001, "   -0.00"},
         {'F', 8, 2, -0.004, "   -0.00"},
         {'F', 8, 2, 0.004, "    0.00"},
         {'F', 8, 2, 123456.789, "********"},
         {'F', 5, 3, -0.5, "-.500"},
         {'F', 4, 3, 0.5, ".500"},
         {'E', 9, 3, 0.0, "0.000E+00"},
         {'E', 9, 3, 12345.0, "0.123E+05"},
         {'E', 9, 3, -12345.0, "-.123E+05"},
         {'E', 9, 3, -123000.0, "-.123E+06"},
         {'E', 9, 3, 0.005, "0.500E-02"},
         {'E', 9, 3, 1.23e99, "0.123+100"},
         {'E', 9, 3, 1e-308, "0.100-307"},
         {'I', 3, 0, 1000, "***"},
         {'F', 8, 2, kNaN, "     NaN"},
         {'F', 8, 2, kInf, "    +Inf"},
         {'F', 8, 2, -kInf, "    -Inf"},
         {'E', 9, 3, kNaN, "      NaN"},
         {'E', 9, 3, -kInf, "     -Inf"},
         {'F', 3, 1, kInf, "Inf"},
         {'E', 3, 1, kInf, "Inf"},
         {'F', 3, 1, -kInf, "***"},
         {'F', 2, 1, kNaN, "**"},
         {'F', 3, 1, kNaN, "NaN"}});
}

// Catches rounding that is not taken from the exact binary value: exact ties go to the even
// digit, and the double nearest a decimal tie lies on one side of it.
TEST(EditField, TiesAndNearTies) {
  check({{'F', 8, 2, 0.005, "    0.01"},  // 0.00500000000000000010...
         {'F', 8, 2, 0.015, "    0.01"},  // 0.01499999999999999944...
         {'F', 8, 2, 1.005, "    1.00"},  // 1.00499999999999989...
         {'F', 8, 2, 2.675, "    2.67"},
         {'F', 8, 2, 2.5, "    2.50"},
         {'F', 11, 2, 1234567.125, " 1234567.12"},
         {'F', 11, 2, 1234567.375, " 1234567.38"},
         {'F', 8, 3, 99.9995, "  99.999"},       // 99.99949999...
         {'F', 8, 3, 999.9995, "1000.000"},      // 999.99950000000001...
         {'F', 13, 6, 0.5e-6, "     0.000000"},  // 4.99999999999999977e-7
         {'F', 13, 6, 2.5e-6, "     0.000003"},
         {'E', 9, 3, 0.1235, "0.123E+00"},  // 0.12349999...
         {'E', 9, 3, 2.5e-3, "0.250E-02"},
         {'E', 9, 3, 99850.0, "0.998E+05"},
         {'E', 9, 3, 12350.0, "0.124E+05"},
         {'E', 9, 3, 12450.0, "0.124E+05"},
         {'E', 9, 3, std::nextafter(12450.0, 0.0), "0.124E+05"},
         {'E', 9, 3, std::nextafter(12450.0, 1e9), "0.125E+05"}});
}

// Catches a carry that does not move into a new digit or exponent, and wrong fitting when the
// text is one or two columns too wide.
TEST(EditField, CarriesAndNarrowWidths) {
  check({{'F', 8, 2, 9.995, "    9.99"},  // 9.99499999...
         {'F', 8, 2, 9.996, "   10.00"},
         {'F', 6, 3, 99.9996, "******"},
         {'F', 7, 3, 99.9996, "100.000"},
         {'F', 5, 3, -0.9996, "*****"},
         {'E', 9, 3, 0.9995, "0.100E+01"},  // 0.99950000000000005...
         {'E', 9, 3, 0.99949, "0.999E+00"},
         {'E', 9, 3, 99950.0, "0.100E+06"},
         {'E', 9, 3, 9.9951e98, "0.100+100"},
         {'E', 9, 3, 1e-100, "0.100E-99"},
         {'E', 9, 3, 1e-101, "0.100-100"},
         {'E', 9, 3, -9.9996e5, "-.100E+07"},
         {'E', 9, 3, -1.23e100, "-.123+101"},
         {'E', 8, 3, 12345.0, ".123E+05"},
         {'E', 7, 3, 12345.0, "*******"},
         {'E', 8, 3, -12345.0, "********"},
         {'F', 3, 2, -0.001, ".00"},  // "-0.00" two columns too wide, only zeros
         {'F', 3, 2, -0.01, "***"},
         {'F', 3, 2, 0.001, ".00"},
         {'F', 2, 2, 0.001, "**"},
         {'I', 3, 0, 999, "999"},
         {'I', 3, 0, -99, "-99"},
         {'I', 3, 0, -100, "***"},
         {'I', 3, 0, 0, "  0"},
         {'I', 2, 0, 99, "99"},
         {'I', 2, 0, 100, "**"},
         {'I', 2, 0, -9, "-9"},
         {'I', 2, 0, -10, "**"},
         {'I', 2, 0, INT32_MIN, "**"},
         {'I', 11, 0, INT32_MIN, "-2147483648"}});
}

// Catches mistakes at the ends of the double range and with signed zeros in E9.3.
TEST(EditField, ExtremesInExponentForm) {
  check({{'E', 9, 3, -0.0, "-.000E+00"},
         {'E', 9, 3, kTiny, "0.494-323"},
         {'E', 9, 3, -kTiny, "-.494-323"},
         {'E', 9, 3, 1e-300, "0.100-299"},
         {'E', 9, 3, kMax, "0.180+309"},
         {'E', 9, 3, -1e300, "-.100+301"}});
}

// Catches, for every F descriptor the tables use, wrong capacity (largest value that fits, the
// carry that no longer does), wrong sign of values rounding to zero, and trouble with huge, tiny
// and subnormal magnitudes or exact binary ties.
TEST(EditField, SweepOfFixedDescriptors) {
  const int descriptors[][2] = {{5, 3},  {6, 3},  {7, 3},  {8, 2},  {8, 3},
                                {9, 2},  {9, 6},  {10, 2}, {10, 3}, {11, 2},
                                {11, 3}, {11, 6}, {12, 2}, {12, 6}, {13, 6}};
  struct Tie {
    double v;
    const char* text;
  };
  // Exact ties 2^-(d+1) and 3 * 2^-(d+1), the doubles next to them, and the nearest doubles of
  // decimal ties (above: rounds up; below: rounds down).
  auto ties = [](int d) -> std::vector<Tie> {
    if (d == 2) {
      return {{0.125, "0.12"},
              {0.375, "0.38"},
              {std::nextafter(0.125, 1.0), "0.13"},
              {std::nextafter(0.375, 0.0), "0.37"},
              {0.025, "0.03"},
              {-0.015, "-0.01"}};
    }
    if (d == 3) {
      return {{0.0625, "0.062"},
              {0.1875, "0.188"},
              {std::nextafter(0.0625, 1.0), "0.063"},
              {std::nextafter(0.1875, 0.0), "0.187"},
              {0.0015, "0.002"},
              {0.0025, "0.003"}};
    }
    return {{0.0078125, "0.007812"},
            {0.0234375, "0.023438"},
            {std::nextafter(0.0078125, 1.0), "0.007813"},
            {std::nextafter(0.0234375, 0.0), "0.023437"},
            {1.5e-6, "0.000002"},
            {5e-7, "0.000000"}};
  };
  for (auto [w, d] : descriptors) {
    SCOPED_TRACE(testing::Message() << "F" << w << "." << d);
    int n = w - d - 1;  // integer digits of a positive value filling the field
    double unit = std::pow(10.0, -d), top = std::pow(10.0, n);
    std::string nines(d + 1, '9'), zeros(d, '0'), full = std::string(n, '9');
    nines[0] = '.';
    std::string stars(w, '*');
    std::string negzero = right(std::string(n > 1 ? "-0." : "-.") + zeros, w);
    EXPECT_EQ(full + nines, render('F', w, d, top - 0.6 * unit));
    EXPECT_EQ(stars, render('F', w, d, top - 0.4 * unit));
    full[0] = '-';  // the largest negative value that fits has one digit less
    EXPECT_EQ(full + nines, render('F', w, d, -(top / 10 - 0.6 * unit)));
    EXPECT_EQ(stars, render('F', w, d, -(top / 10 - 0.4 * unit)));
    EXPECT_EQ(stars, render('F', w, d, 10 * top));
    EXPECT_EQ(stars, render('F', w, d, -top));
    EXPECT_EQ(negzero, render('F', w, d, -0.4 * unit));
    EXPECT_EQ(negzero, render('F', w, d, -0.0));
    EXPECT_EQ(negzero, render('F', w, d, -kTiny));
    EXPECT_EQ(right(std::string("0.") + zeros, w), render('F', w, d, 0.4 * unit));
    EXPECT_EQ(right(std::string("0.") + zeros, w), render('F', w, d, 1e-300));
    EXPECT_EQ(right(std::string("0.") + zeros, w), render('F', w, d, kTiny));
    EXPECT_EQ(stars, render('F', w, d, 1e300));
    EXPECT_EQ(stars, render('F', w, d, -kMax));
    EXPECT_EQ(right("NaN", w), render('F', w, d, kNaN));
    EXPECT_EQ(right("-Inf", w), render('F', w, d, -kInf));
    for (const Tie& t : ties(d)) EXPECT_EQ(right(t.text, w), render('F', w, d, t.v)) << t.v;
  }
}

// Random doubles of many magnitudes, sent to the Fortran runtime as bit patterns and written
// there with the same descriptors, one record per value.
const char* kFortranProgram = R"(program fields
  implicit none
  integer(8) :: bits
  real(8) :: x
  integer :: ios, k
  do
    read(*, *, iostat=ios) bits
    if (ios /= 0) exit
    x = transfer(bits, x)
    write(*, '(F5.3,F6.3,F7.3,F8.2,F8.3,F9.2,F9.6,F10.2,F10.3,F11.2,F11.3,F11.6,F12.2,F12.6,F13.6,E9.3)') (x, k = 1, 16)
  end do
end program fields
)";

// Catches any rendering that differs from the Fortran runtime's on ordinary finite values
// (runs only where gfortran is installed).
TEST(EditField, MatchesGfortranOnRandomValues) {
  if (std::system("gfortran --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no gfortran";
  char dir[] = "/tmp/holestress-edit-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dir));
  std::string base = dir;
  std::ofstream(base + "/fields.f90") << kFortranProgram;
  ASSERT_EQ(0, std::system(("gfortran -o " + base + "/fields " + base + "/fields.f90").c_str()));

  std::mt19937_64 rng(20240611);
  std::vector<double> values;
  for (int i = 0; i < 4000; ++i) {
    double v;
    if (i % 4 == 3) {  // any finite bit pattern
      uint64_t bits = rng();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v)) continue;
    } else if (i % 4 == 2) {  // dyadic values: many exact decimal ties
      v = static_cast<double>(rng() % (1 << 24)) / std::ldexp(1.0, static_cast<int>(rng() % 30));
    } else {  // ordinary table values, 1e-9 to 1e13
      v = std::uniform_real_distribution<double>(1, 10)(rng) * std::pow(10.0, rng() % 23 - 9.0);
    }
    values.push_back(rng() % 2 ? -v : v);
  }
  {
    std::ofstream in(base + "/values.txt");
    for (double v : values) {
      int64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      in << bits << '\n';
    }
  }
  ASSERT_EQ(0, std::system(("cd " + base + " && ./fields < values.txt > fields.txt").c_str()));
  std::ifstream got(base + "/fields.txt");
  const int descriptors[][2] = {{5, 3},  {6, 3},  {7, 3},  {8, 2},  {8, 3},  {9, 2},
                                {9, 6},  {10, 2}, {10, 3}, {11, 2}, {11, 3}, {11, 6},
                                {12, 2}, {12, 6}, {13, 6}, {9, 3}};
  int mismatches = 0;
  for (double v : values) {
    std::string line, expected;
    std::getline(got, line);
    for (int k = 0; k < 16; ++k) {
      expected += render(k == 15 ? 'E' : 'F', descriptors[k][0], descriptors[k][1], v);
    }
    if (expected != line && ++mismatches <= 10) {
      ADD_FAILURE() << "value " << v << ": gfortran \"" << line << "\", ours \"" << expected
                    << "\"";
    }
  }
  EXPECT_EQ(0, mismatches);
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace hs
