#include "io/edit_descriptors.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace hs {
namespace {

using Limits = std::numeric_limits<double>;
const double kInf = Limits::infinity(), kNaN = Limits::quiet_NaN(), kTiny = Limits::denorm_min(),
             kMax = Limits::max();

// One field rendered by a descriptor such as "F8.2", "E9.3" or "I3".
std::string render(const std::string& descriptor, double v) {
  char out[kMaxFieldWidth];
  int w = 0, d = 0;
  std::sscanf(descriptor.c_str() + 1, "%d.%d", &w, &d);
  if (descriptor[0] == 'I') format_integer(out, w, static_cast<int>(v));
  if (descriptor[0] == 'F') format_fixed(out, w, d, v);
  if (descriptor[0] == 'E') format_exponent(out, w, d, v);
  return std::string(out, w);
}

std::string right(std::string text, int w) {
  return std::string(w - text.size(), ' ') + text;
}

// Catches departures from the documented renderings (rounding, signs, the fitting rules, the
// non-finite forms); rounding not taken from the exact binary value (exact ties such as 2^-(d+1)
// and 3 * 2^-(d+1) go to the even digit, the doubles next to them away from it, and the double
// nearest a decimal tie lies on one side of it: 0.005, 0.025, 0.0015, 0.0025, 1.5e-6 above,
// 0.015, 5e-7, 99.9995, 0.1235 below); carries that do not move into a new digit or exponent
// (9.995 is 9.99499..., 0.9995 is 0.99950...05); wrong fitting one or two columns too narrow;
// mistakes at the ends of the double range; an F edit with no decimals (as gfortran writes it).
TEST(EditField, DocumentedAndAwkwardValues) {
  const struct {
    const char* descriptor;
    double v;
    const char* expected;
  } table[] = {
      // clang-format off
      {"F8.2", 0.125, "0.12"}, {"F8.2", 0.375, "0.38"}, {"F8.2", -0.001, "-0.00"},
      {"F8.2", -0.004, "-0.00"}, {"F8.2", 0.004, "0.00"}, {"F8.2", 123456.789, "********"},
      {"F5.3", -0.5, "-.500"}, {"F4.3", 0.5, ".500"}, {"E9.3", 0.0, "0.000E+00"},
      {"E9.3", 12345.0, "0.123E+05"}, {"E9.3", -12345.0, "-.123E+05"}, {"I3", 1000, "***"},
      {"E9.3", -123000.0, "-.123E+06"}, {"E9.3", 0.005, "0.500E-02"}, {"F8.2", kNaN, "NaN"},
      {"E9.3", 1.23e99, "0.123+100"}, {"E9.3", 1e-308, "0.100-307"}, {"F8.2", kInf, "+Inf"},
      {"F8.2", -kInf, "-Inf"}, {"E9.3", kNaN, "NaN"}, {"E9.3", -kInf, "-Inf"}, {"F2.1", kNaN, "**"},
      {"F3.1", kInf, "Inf"}, {"E3.1", kInf, "Inf"}, {"F3.1", -kInf, "***"}, {"F3.1", kNaN, "NaN"},
      {"F8.2", 0.005, "0.01"}, {"F8.2", 1.005, "1.00"}, {"F8.2", 2.675, "2.67"},
      {"F11.2", 1234567.125, "1234567.12"}, {"F8.3", 99.9995, "99.999"},
      {"F11.2", 1234567.375, "1234567.38"}, {"F8.3", 999.9995, "1000.000"},
      {"F13.6", 2.5e-6, "0.000003"}, {"E9.3", 0.1235, "0.123E+00"}, {"E9.3", 99850.0, "0.998E+05"},
      {"E9.3", 12350.0, "0.124E+05"}, {"E9.3", 12450.0, "0.124E+05"},
      {"E9.3", std::nextafter(12450.0, 0.0), "0.124E+05"}, {"F8.2", 9.995, "9.99"},
      {"E9.3", std::nextafter(12450.0, 1e9), "0.125E+05"}, {"F8.2", 9.996, "10.00"},
      {"E9.3", 0.9995, "0.100E+01"}, {"E9.3", 0.99949, "0.999E+00"}, {"E9.3", 99950.0, "0.100E+06"},
      {"E9.3", 9.9951e98, "0.100+100"}, {"E9.3", 1e-100, "0.100E-99"}, {"I2", INT32_MIN, "**"},
      {"E9.3", 1e-101, "0.100-100"}, {"E9.3", -9.9996e5, "-.100E+07"},
      {"I11", INT32_MIN, "-2147483648"}, {"E9.3", -1.23e100, "-.123+101"},
      {"E8.3", 12345.0, ".123E+05"}, {"E7.3", 12345.0, "*******"}, {"E8.3", -12345.0, "********"},
      {"F3.2", -0.001, ".00"}, {"F3.2", -0.01, "***"}, {"F3.2", 0.001, ".00"},
      {"F2.2", 0.001, "**"}, {"E9.3", -0.0, "-.000E+00"}, {"E9.3", kTiny, "0.494-323"},
      {"E9.3", -kTiny, "-.494-323"}, {"E9.3", 1e-300, "0.100-299"}, {"E9.3", kMax, "0.180+309"},
      {"E9.3", -1e300, "-.100+301"}, {"I3", 999, "999"}, {"I3", -99, "-99"}, {"I3", -100, "***"},
      {"I3", 0, "0"}, {"I2", 99, "99"}, {"I2", 100, "**"}, {"I2", -9, "-9"}, {"I2", -10, "**"},
      {"F8.2", std::nextafter(0.125, 1.0), "0.13"}, {"F8.2", std::nextafter(0.375, 0.0), "0.37"},
      {"F8.2", 0.025, "0.03"}, {"F8.2", -0.015, "-0.01"}, {"F8.3", 0.0625, "0.062"},
      {"F8.3", 0.1875, "0.188"}, {"F8.3", std::nextafter(0.0625, 1.0), "0.063"},
      {"F8.3", std::nextafter(0.1875, 0.0), "0.187"}, {"F8.3", 0.0015, "0.002"},
      {"F8.3", 0.0025, "0.003"}, {"F13.6", 0.0078125, "0.007812"}, {"F13.6", 0.0234375, "0.023438"},
      {"F13.6", 5e-7, "0.000000"}, {"F13.6", std::nextafter(0.0078125, 1.0), "0.007813"},
      {"F13.6", 1.5e-6, "0.000002"}, {"F13.6", std::nextafter(0.0234375, 0.0), "0.023437"},
      // no decimals: the point ends the field, ties to even, the sign of a negative zero kept
      {"F4.0", 2.5, "2."}, {"F4.0", 3.5, "4."}, {"F4.0", -0.4, "-0."}, {"F4.0", 0.5, "0."},
      {"F4.0", -0.0, "-0."}, {"F4.0", 9.5, "10."}, {"F4.0", -0.6, "-1."}, {"F4.0", 999.4, "999."},
      {"F4.0", 999.5, "****"}, {"F4.0", -99.5, "****"}, {"F2.0", 0.4, "0."}, {"F3.0", -0.0, "-0."},
      // clang-format on
  };
  for (const auto& f : table) {
    int w = std::atoi(f.descriptor + 1);
    EXPECT_EQ(right(f.expected, w), render(f.descriptor, f.v)) << f.descriptor << " of " << f.v;
  }
}

// Catches an F edit without decimals that drops the zero before the point where it would be the
// only digit: gfortran (and the Fortran standard: the optional zero must appear when there would
// otherwise be no digits) writes asterisks.
TEST(EditField, NoDecimalsKeepsADigit) {
  EXPECT_EQ("**", render("F2.0", -0.4));
  EXPECT_EQ("*", render("F1.0", 0.0));
  EXPECT_EQ("**", render("F2.0", -0.0));
}

// The descriptors of the program's tables, and one without decimals.
const char* const kTableDescriptors[] = {"F5.3",  "F6.3",  "F7.3",  "F8.2",  "F8.3",  "F9.2",
                                         "F9.6",  "F10.2", "F10.3", "F11.2", "F11.3", "F11.6",
                                         "F12.2", "F12.6", "F13.6", "E9.3",  "F4.0"};

// Catches, for every F descriptor of the tables, wrong capacity (largest value that fits, the
// carry that no longer does), wrong sign of values rounding to zero, and trouble with huge, tiny
// and subnormal magnitudes.
TEST(EditField, SweepOfFixedDescriptors) {
  for (const char* desc : kTableDescriptors) {
    int w, d;
    if (std::sscanf(desc, "F%d.%d", &w, &d) != 2) continue;
    SCOPED_TRACE(desc);
    int n = w - d - 1;  // integer digits of a positive value filling the field
    double unit = std::pow(10.0, -d), top = std::pow(10.0, n);
    std::string nines(d + 1, '9'), zeros(d, '0'), full(n, '9');
    nines[0] = '.';
    EXPECT_EQ(full + nines, render(desc, top - 0.6 * unit));
    full[0] = '-';  // the largest negative value that fits has one digit less
    EXPECT_EQ(full + nines, render(desc, -(top / 10 - 0.6 * unit)));
    for (double v : {top - 0.4 * unit, -(top / 10 - 0.4 * unit), 10 * top, -top, 1e300, -kMax}) {
      EXPECT_EQ(std::string(w, '*'), render(desc, v)) << v;
    }
    for (double v : {-0.4 * unit, -0.0, -kTiny}) {
      EXPECT_EQ(right(std::string(n > 1 ? "-0." : "-.") + zeros, w), render(desc, v)) << v;
    }
    for (double v : {0.4 * unit, 1e-300, kTiny}) EXPECT_EQ(right("0." + zeros, w), render(desc, v));
    EXPECT_EQ(right("NaN", w), render(desc, kNaN));
    EXPECT_EQ(right("-Inf", w), render(desc, -kInf));
  }
}

// Catches any rendering that differs from the Fortran runtime's records with every descriptor of
// the tables, for random values of many magnitudes sent to it as bit patterns. Runs only where
// gfortran is installed.
TEST(EditField, RandomValuesMatchGfortran) {
  if (std::system("gfortran --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no gfortran";
  char dir[] = "/tmp/holestress-edit-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dir));
  const std::string base = dir;
  std::string format;  // the table descriptors, in the order of kTableDescriptors
  for (const char* desc : kTableDescriptors)
    format += std::string(format.empty() ? "" : ",") + desc;
  std::ofstream(base + "/fields.f90") << "integer(8) :: bits\nreal(8) :: x\ndo\n"
                                      << "read(*, *, end=9) bits\nx = transfer(bits, x)\n"
                                      << "write(*, '(" + format + ")') (x, k = 1, "
                                      << std::size(kTableDescriptors) << ")\nend do\n9 end\n";
  std::ofstream bits_file(base + "/values.txt");
  std::vector<double> values;  // table magnitudes, dyadic values (many exact ties), bit patterns
  std::mt19937_64 rng(20240611);
  for (int i = 0; i < 40000; ++i) {
    uint64_t bits = rng();
    double v = i % 4 == 3   ? std::bit_cast<double>(bits)
               : i % 4 == 2 ? std::ldexp(bits % (1 << 24), -static_cast<int>(rng() % 30))
                            : (1.0 + (bits >> 11) * 0x1p-53 * 9) * std::pow(10, rng() % 23 - 9.0);
    if (!std::isfinite(v)) continue;
    values.push_back((rng() & 1) ? -v : v);
    bits_file << std::bit_cast<int64_t>(values.back()) << '\n';
  }
  bits_file.close();
  std::string run = "cd " + base + " && gfortran -o fields fields.f90 && ./fields <values.txt >out";
  ASSERT_EQ(0, std::system(run.c_str()));
  std::ifstream got(base + "/out");
  std::string line;
  int mismatches = 0;
  for (double v : values) {
    std::string expected;
    for (const char* desc : kTableDescriptors) expected += render(desc, v);
    std::getline(got, line);
    if (expected != line && ++mismatches <= 10) ADD_FAILURE() << v << ": gfortran\n" << line;
  }
  EXPECT_EQ(0, mismatches);
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace hs
