// Floating-point to_chars, also for standard libraries that lack it. libc++ gained the double
// overloads in version 14; Debian's Emscripten 3.1.6 ships libc++ 13, where they are deleted.
// These give the same characters as std::to_chars (C locale, the only locale an Emscripten module
// has): the shortest round-trip form in fixed or scientific notation, and fixed notation with a
// given number of decimals. The digits come from snprintf, which in musl and glibc is exact.
#pragma once

#include <charconv>
#include <cmath>
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

// Adds one unit in the last digit to the significand of "d.ddde+XX" text (made by "%.*e", so
// without a sign it starts at text[0]), carrying into the exponent on 9.99..9: "9.99e+05" becomes
// "1.00e+06". Returns the new length.
inline int next_decimal_up(char* text, size_t size, int n) {
  char* e = std::strchr(text, 'e');
  char* c = e - 1;
  for (; c >= text; --c) {
    if (*c == '.') continue;
    if (*c != '9') {
      ++*c;
      return n;
    }
    *c = '0';
  }
  // All nines: the significand becomes 1.00..0 and the exponent grows by one.
  text[0] = '1';
  return std::snprintf(e, size - size_t(e - text), "e%+03d", std::atoi(e + 1) + 1) + int(e - text);
}

// Takes one unit off the last digit of the significand; 1.00e+06 becomes 9.99e+05 with the same
// count of digits. Returns the new length.
inline int next_decimal_down(char* text, size_t size, int n) {
  char* e = std::strchr(text, 'e');
  char* c = e - 1;
  for (; c >= text; --c) {
    if (*c == '.') continue;
    if (*c != '0') {
      --*c;
      break;
    }
    *c = '9';
  }
  if (text[0] != '0') return n;
  // 1.00..0 became 0.99..9: shift to 9.99..9 one decade lower.
  text[0] = '9';
  return std::snprintf(e, size - size_t(e - text), "e%+03d", std::atoi(e + 1) - 1) + int(e - text);
}

// With p + 1 significant digits, the decimal of |v| that reads back to v, in "%.*e" form, or 0
// when there is none. snprintf gives the decimal nearest to v; when that misses v's rounding
// interval, the neighbouring decimal on the other side may still lie inside it, because the
// interval is lopsided at a power of two (half as wide below as above).
inline int decimal_reading_back(char* buf, size_t size, double v, int p) {
  int n = std::snprintf(buf, size, "%.*e", p, v);
  const double nearest = std::strtod(buf, nullptr);
  if (nearest == v) return n;
  n = nearest < v ? next_decimal_up(buf, size, n) : next_decimal_down(buf, size, n);
  return std::strtod(buf, nullptr) == v ? n : 0;
}

// The fewest significant digits (1 to 17) that read back to |v|, in "%.*e" form: the shortest
// round-trip text std::to_chars gives. A decimal of p digits is one of p + 1 digits as well, so
// whether p digits suffice is monotonic in p and is found by bisection; 17 always suffice.
inline int shortest_scientific(char* buf, size_t size, double v) {
  v = std::fabs(v);
  char trial[48];
  int n = std::snprintf(buf, size, "%.16e", v);
  int low = 0, high = 16;  // the answer lies in [low, high]; high is in buf
  while (low < high) {
    const int p = (low + high) / 2;
    const int m = decimal_reading_back(trial, sizeof trial, v, p);
    if (m > 0) {
      std::memcpy(buf, trial, size_t(m) + 1);
      n = m;
      high = p;
    } else {
      low = p + 1;
    }
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

// The shortest round-trip text of v in fixed or scientific notation, or (general) the shorter of
// the two, fixed on a tie, as std::to_chars chooses.
enum class Notation { fixed, scientific, general };

inline std::to_chars_result to_chars_shortest(char* first, char* last, double v, Notation form) {
  char sci[48];
  if (!(v == v) || v - v != 0.0) {  // nan, inf and -inf, as snprintf spells them
    int n = std::snprintf(sci, sizeof sci, "%e", v);
    return detail::copy_out(first, last, sci, size_t(n));
  }
  const bool negative = std::signbit(v);
  sci[0] = '-';
  char* digits_text = sci + (negative ? 1 : 0);
  int n = detail::shortest_scientific(digits_text, sizeof sci - 1, v) + (negative ? 1 : 0);
  if (form == Notation::scientific) return detail::copy_out(first, last, sci, size_t(n));
  // Fixed: the same significant digits, written out. "d.ddde+XX" gives the digits and exponent.
  const char* e = std::strchr(digits_text, 'e');
  const int exponent = std::atoi(e + 1);
  char digits[20];
  int count = 0;
  for (const char* c = digits_text; c < e; ++c) {
    if (*c >= '0' && *c <= '9') digits[count++] = *c;
  }
  // Room for the 309 digits of the largest double, or the 324 decimals of the smallest.
  char text[400];
  int k = 0;
  if (count - 1 - exponent <= 0) {
    // Beyond the digits needed, an integer is written exactly, as printf("%.0f") does.
    k = std::snprintf(text, sizeof text, "%.0f", v);
  } else {
    if (negative) text[k++] = '-';
    if (exponent < 0) {
      text[k++] = '0';
      text[k++] = '.';
      for (int z = 0; z < -exponent - 1; ++z) text[k++] = '0';
      for (int d = 0; d < count; ++d) text[k++] = digits[d];
    } else {
      for (int d = 0; d < count; ++d) {
        text[k++] = digits[d];
        if (d == exponent) text[k++] = '.';
      }
    }
  }
  if (form == Notation::general && n < k) return detail::copy_out(first, last, sci, size_t(n));
  return detail::copy_out(first, last, text, size_t(k));
}

inline std::to_chars_result to_chars_shortest(char* first, char* last, double v,
                                              std::chars_format format) {
  return to_chars_shortest(
      first, last, v,
      format == std::chars_format::scientific ? Notation::scientific : Notation::fixed);
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
  return compat::to_chars_shortest(first, last, v, compat::Notation::general);
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
