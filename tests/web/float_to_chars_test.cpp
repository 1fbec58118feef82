// The fallback floating-point to_chars against the standard library's own: every character the
// same, for awkward values and random bit patterns. Where the library has floating-point
// to_chars (g++) the two are compared directly; everywhere (also built with em++ and run by
// node) a digest of all the fallback's characters must match the one recorded here, which
// therefore stands for the standard library's answers.
#include "../../src/io/float_to_chars.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
constexpr bool kNative = false;
#else
constexpr bool kNative = true;
#endif

// FNV-1a over every character written, with a separator per value.
constexpr std::uint64_t kDigest = 0xa107de80af5d0360ull;
std::uint64_t digest = 14695981039346656037ull;

int failures = 0;

void same(double v, std::chars_format format, int decimals) {
  char got[2000];
  auto g = decimals < 0 ? hs::compat::to_chars_shortest(got, got + sizeof got, v, format)
                        : hs::compat::to_chars_fixed(got, got + sizeof got, v, decimals);
  std::string b(got, g.ptr);
  for (char c : b + '|') digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
#if !defined(_LIBCPP_VERSION) || _LIBCPP_VERSION >= 14000
  char want[2000];
  auto w = decimals < 0 ? std::to_chars(want, want + sizeof want, v, format)
                        : std::to_chars(want, want + sizeof want, v, format, decimals);
  std::string a(want, w.ptr);
  if (a != b && ++failures <= 20) {
    std::printf("%a %s decimals %d: to_chars %s, fallback %s\n", v,
                format == std::chars_format::fixed ? "fixed" : "scientific", decimals, a.c_str(),
                b.c_str());
  }
#endif
}

// The shortest text in the shorter notation, as std::to_chars(first, last, v) chooses.
void same_general(double v) {
  char got[2000];
  auto g = hs::compat::to_chars_shortest(got, got + sizeof got, v, hs::compat::Notation::general);
  std::string b(got, g.ptr);
  for (char c : b + '|') digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
#if !defined(_LIBCPP_VERSION) || _LIBCPP_VERSION >= 14000
  char want[2000];
  auto w = std::to_chars(want, want + sizeof want, v);
  std::string a(want, w.ptr);
  if (a != b && ++failures <= 20) {
    std::printf("%a general: to_chars %s, fallback %s\n", v, a.c_str(), b.c_str());
  }
#endif
}

void all_forms(double v, int decimals) {
  same_general(v);
  same(v, std::chars_format::fixed, -1);
  same(v, std::chars_format::scientific, -1);
  same(v, std::chars_format::fixed, decimals);
}

}  // namespace

int main() {
  const double awkward[] = {0.0,
                            -0.0,
                            1.0,
                            -1.0,
                            0.1,
                            0.5,
                            2.5,
                            1e-4,
                            9.999999999e8,
                            1e9,
                            1e23,
                            5e-324,
                            2.2250738585072014e-308,
                            1.7976931348623157e308,
                            0.3,
                            123456789.5,
                            1.0 / 3.0,
                            1e22,
                            9007199254740993.0,
                            0.125,
                            1e-7};
  for (double v : awkward) {
    for (int d : {0, 1, 2, 3, 6, 17, 30}) all_forms(v, d);
    all_forms(-v, 2);
  }
  // Powers of two: the rounding interval is half as wide below as above, and the shortest text
  // can be the decimal above even where the nearest one (below) does not read back.
  for (int k = -1074; k <= 1023; ++k) {
    const double v = std::ldexp(1.0, k);
    for (double w : {v, -v}) {
      same(w, std::chars_format::scientific, -1);
      same(w, std::chars_format::fixed, -1);
      same_general(w);
    }
  }
  // Edges of the fixed-point text: small buffers are refused, not overrun.
  char small[3];
  if (hs::compat::to_chars_fixed(small, small + 3, 1234.5, 1).ec != std::errc::value_too_large) {
    std::printf("a too small buffer is not refused\n");
    ++failures;
  }
  std::mt19937_64 random(20240607);
  // Plain arithmetic on the engine's numbers, each drawn in its own statement: distributions and
  // the order of evaluating arguments differ between standard libraries and compilers.
  for (int i = 0; i < 50000; ++i) {
    // std::bit_cast is missing from libc++ 13 as well.
    std::uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    same(v, std::chars_format::scientific, -1);
    same_general(v);
    // Fixed shortest and fixed with decimals over the range the pictures print that way.
    double mantissa = double(random() >> 11);
    int exponent = int(random() % 60) - 66;
    double u = std::ldexp(mantissa, exponent);
    int decimals = int(random() % 13);
    same(u, std::chars_format::fixed, -1);
    same(u, std::chars_format::fixed, decimals);
    same_general(u);
  }
  if (failures) {
    std::printf("%d differences\n", failures);
    return 1;
  }
  if (digest != kDigest) {
    std::printf("digest %016llx, recorded %016llx\n", static_cast<unsigned long long>(digest),
                static_cast<unsigned long long>(kDigest));
    return 1;
  }
  std::printf("fallback to_chars: same characters as std::to_chars%s\n",
              kNative ? "" : " (by the recorded digest)");
  return 0;
}
