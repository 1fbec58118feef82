// Floating-point to_chars, also for standard libraries that lack it. libc++ gained the double
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

namespace hs {

// Floating-point to_chars, from the standard library where it has it: the shortest text that
// reads back to the same double, in the given notation or the shorter of the two, or fixed
// notation with `decimals` decimals.
inline std::to_chars_result double_to_chars(char* first, char* last, double v) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  return std::to_chars(first, last, v);
#else
  // The shorter of fixed and scientific, fixed on ties, as std::to_chars chooses.
  char f[400], e[40];
  auto rf = compat::to_chars_shortest(f, f + sizeof f, v, std::chars_format::fixed);
  auto re = compat::to_chars_shortest(e, e + sizeof e, v, std::chars_format::scientific);
  bool fixed = rf.ec == std::errc{} && rf.ptr - f <= re.ptr - e;
  return fixed ? compat::detail::copy_out(first, last, f, size_t(rf.ptr - f))
               : compat::detail::copy_out(first, last, e, size_t(re.ptr - e));
#endif
}

inline std::to_chars_result double_to_chars(char* first, char* last, double v,
                                            std::chars_format format) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  return std::to_chars(first, last, v, format);
#else
  return compat::to_chars_shortest(first, last, v, format);
#endif
}

inline std::to_chars_result double_to_chars_fixed(char* first, char* last, double v, int decimals) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  return std::to_chars(first, last, v, std::chars_format::fixed, decimals);
#else
  return compat::to_chars_fixed(first, last, v, decimals);
#endif
}

}  // namespace hs
