// Floating-point std::to_chars for standard libraries that lack it. libc++ gained the double
// overloads in version 14; Debian's Emscripten 3.1.6 ships libc++ 13, where they are deleted.
// These give the same characters as std::to_chars (C locale, the only locale an Emscripten module
// has): the shortest round-trip form in fixed or scientific notation, and fixed notation with a
// given number of decimals. The digits come from snprintf, which in musl and glibc is exact.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace hs::compat {

namespace detail {

inline std::to_chars_result copy_out(char* first, char* last, const char* text, size_t n) {
  if (n > size_t(last - first)) return {last, std::errc::value_too_large};
  std::memcpy(first, text, n);
  return {first + n, std::errc{}};
}

// The fewest significant digits (1 to 17) that read back to v, in "%.*e" form.
inline int shortest_scientific(char* buf, size_t size, double v) {
  int n = 0;
  for (int p = 0; p <= 16; ++p) {
    n = std::snprintf(buf, size, "%.*e", p, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return n;
}

}  // namespace detail

inline std::to_chars_result to_chars_fixed(char* first, char* last, double v, int decimals) {
  // Room for the 309 digits of the largest double and up to 1100 decimals.
  static thread_local char buf[1500];
  if (decimals < 0) decimals = 0;
  if (decimals > 1100) decimals = 1100;
  int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return detail::copy_out(first, last, buf, size_t(n));
}

inline std::to_chars_result to_chars_shortest(char* first, char* last, double v,
                                              std::chars_format format) {
  char sci[40];
  int n = detail::shortest_scientific(sci, sizeof sci, v);
  if (format == std::chars_format::scientific || !(v == v) || v - v != 0.0) {
    return detail::copy_out(first, last, sci, size_t(n));
  }
  // Fixed: the same significant digits, written out. "d.ddde+XX" gives the digits and exponent.
  const char* e = std::strchr(sci, 'e');
  int exponent = std::atoi(e + 1);
  int digits = 0;
  for (const char* c = sci; c < e; ++c) digits += (*c >= '0' && *c <= '9');
  // Beyond the digits needed, an integer is written exactly, as printf("%.0f") does.
  int decimals = digits - 1 - exponent;
  return to_chars_fixed(first, last, v, decimals < 0 ? 0 : decimals);
}

}  // namespace hs::compat
