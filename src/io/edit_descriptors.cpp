#include "io/edit_descriptors.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hs {

namespace {

using u128 = unsigned __int128;

constexpr uint64_t kPow10[20] = {1ull,
                                 10ull,
                                 100ull,
                                 1000ull,
                                 10000ull,
                                 100000ull,
                                 1000000ull,
                                 10000000ull,
                                 100000000ull,
                                 1000000000ull,
                                 10000000000ull,
                                 100000000000ull,
                                 1000000000000ull,
                                 10000000000000ull,
                                 100000000000000ull,
                                 1000000000000000ull,
                                 10000000000000000ull,
                                 100000000000000000ull,
                                 1000000000000000000ull,
                                 10000000000000000000ull};

// Right-justifies text in w columns, or fills them with asterisks when it does not fit.
void fit(char* out, int w, const char* text, int len) {
  if (len <= w) {
    std::memset(out, ' ', w - len);
    std::memcpy(out + w - len, text, len);
  } else {
    std::memset(out, '*', w);
  }
}

// NaN and the infinities, which have no digits to round. Returns false for finite values.
bool format_non_finite(char* out, int w, double v) {
  if (std::isfinite(v)) return false;  // the usual case, by one test
  if (std::isnan(v)) {
    fit(out, w, "NaN", 3);
  } else if (std::isinf(v)) {
    if (v < 0) {
      fit(out, w, "-Inf", 4);
    } else if (w == 3) {
      fit(out, w, "Inf", 3);
    } else {
      fit(out, w, "+Inf", 4);
    }
  } else {
    return false;
  }
  return true;
}

// "00" to "99": two digits per division on the way out.
constexpr struct DigitPairs {
  char c[200];
  constexpr DigitPairs() : c() {
    for (int i = 0; i < 100; ++i) {
      c[2 * i] = static_cast<char>('0' + i / 10);
      c[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
} kPairs;

// Number of decimal digits of v, 1 for 0.
int digit_count(uint64_t v) {
  v |= 1;  // never crosses a power of ten, and 0 counts as 1
  int t = ((64 - __builtin_clzll(v)) * 1233) >> 12;  // digits of 2^(bit length - 1), at most 19
  return t + (v >= kPow10[t] ? 1 : 0);
}

// Writes the count lowest decimal digits of v (with leading zeros) to end[-count..-1] and returns
// v without them.
uint64_t put_back(char* end, uint64_t v, int count) {
  for (; count >= 2; count -= 2) {
    uint64_t q = v / 100;
    end -= 2;
    std::memcpy(end, kPairs.c + 2 * (v - q * 100), 2);
    v = q;
  }
  if (count == 1) {
    uint64_t q = v / 10;
    end[-1] = static_cast<char>('0' + (v - q * 10));
    v = q;
  }
  return v;
}

// Writes the decimal digits of v (at least one) and returns their count.
int put_u64(char* out, uint64_t v) {
  char tmp[20];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
  return n;
}

// a * 10^d rounded to an integer, ties to even, computed exactly from the binary value of a
// (a finite, not negative). Returns false when the result or an intermediate does not fit the
// integer path; the caller then takes the general one.
bool scaled_integer(double a, int d, uint64_t& n) {
  if (d < 0 || d > 19) return false;
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  int biased = static_cast<int>(bits >> 52);
  uint64_t m = bits & ((1ull << 52) - 1);
  int e;
  if (biased == 0) {
    e = -1074;
  } else {
    m |= 1ull << 52;
    e = biased - 1075;
  }
  if (m == 0) {
    n = 0;
    return true;
  }
  // a = m * 2^e with m < 2^53, so m * 10^d < 2^117.
  u128 t = static_cast<u128>(m) * kPow10[d];
  if (e >= 0) {
    if (e > 10) return false;
    t <<= e;
    if (t >> 64) return false;
    n = static_cast<uint64_t>(t);
    return true;
  }
  int s = -e;
  if (s >= 118) {  // t < 2^117 is less than half of 2^s: rounds to zero
    n = 0;
    return true;
  }
  if (s < 64 && (t >> 64) == 0) {  // most table values: the same in 64 bits
    uint64_t lo = static_cast<uint64_t>(t);
    uint64_t half = 1ull << (s - 1);
    n = (lo >> s) + ((lo & (2 * half - 1)) + (half - 1) + ((lo >> s) & 1) >= 2 * half);
    return true;
  }
  // Adding half less one, plus one more when the truncated quotient is odd, carries into the
  // quotient exactly when the remainder is above half, or half with an odd quotient.
  u128 half = static_cast<u128>(1) << (s - 1);
  u128 q = (t + (half - 1) + ((t >> s) & 1)) >> s;
  if (q >> 64) return false;
  n = static_cast<uint64_t>(q);
  return true;
}

}  // namespace

void format_integer(char* out, int w, int value) {
  char text[12];
  int len = 0;
  uint64_t mag = value < 0 ? -static_cast<int64_t>(value) : value;
  if (value < 0) text[len++] = '-';
  len += put_u64(text + len, mag);
  fit(out, w, text, len);
}

namespace {

// Fw.d beyond the integer path: the C library also renders the exact binary value, ties to even.
[[gnu::noinline]] void format_fixed_general(char* out, int w, int d, bool negative, double a) {
  // Text: sign, integer digits, point, d decimals. Doubles have at most 309 integer digits.
  char buf[340 + kMaxFieldWidth];
  int blen = std::snprintf(buf, sizeof buf, "%.*f", d, a);
  const char* point = std::strchr(buf, '.');
  char text[340 + kMaxFieldWidth];
  int len = 0;
  if (negative) text[len++] = '-';
  int int_start = len;
  int int_len = point ? static_cast<int>(point - buf) : blen;
  std::memcpy(text + len, buf, int_len);
  len += int_len;
  text[len++] = '.';
  if (point) {
    std::memcpy(text + len, point + 1, d);
    len += d;
  }
  bool all_zero = true;
  for (int i = 0; i < blen; ++i) {
    if (buf[i] >= '1' && buf[i] <= '9') all_zero = false;
  }
  bool int_is_zero = int_len == 1 && text[int_start] == '0';

  if (len <= w) {
    fit(out, w, text, len);
  } else if (len == w + 1 && int_is_zero && d > 0) {
    // No room for the leading zero: "-.500", ".500" (without decimals it is the only digit).
    std::memmove(text + int_start, text + int_start + 1, len - int_start - 1);
    fit(out, w, text, len - 1);
  } else if (len == w + 2 && negative && int_is_zero && all_zero && d > 0) {
    // A negative value that rounds to zero, without room for "-0": "." and the zeros.
    fit(out, w, text + 2, len - 2);
  } else {
    std::memset(out, '*', w);
  }
}

}  // namespace

void format_fixed(char* out, int w, int d, double value) {
  if (format_non_finite(out, w, value)) return;
  bool negative = std::signbit(value);
  double a = std::fabs(value);
  uint64_t n;
  if (!scaled_integer(a, d, n)) {
    format_fixed_general(out, w, d, negative, a);
    return;
  }

  // The same text and the same shortening rules, written straight into the field from its right
  // end: n holds the integer digits followed by d decimals.
  bool int_zero = n < kPow10[d];
  int lead = int_zero ? 1 : digit_count(n) - d;  // integer digits
  int len = negative + lead + 1 + d;
  if (len > w) {
    // Too wide: a zero before the point goes ("-.500", ".500"), then the sign of a negative zero
    // (".000"), but never the only digit of a field without decimals.
    if (int_zero && d > 0) {
      lead = 0;
      --len;
    }
    if (len > w && negative && n == 0 && d > 0) {
      negative = false;
      --len;
    }
    if (len > w) {
      std::memset(out, '*', w);
      return;
    }
  }
  // The blanks first: the usual few by one store of the field's first 4 or 8 columns, which the
  // text then overwrites from the right.
  int blanks = w - len;
  if (blanks <= 4 && w >= 4) {
    std::memcpy(out, "    ", 4);
  } else if (blanks <= 8 && w >= 8) {
    std::memcpy(out, "        ", 8);
  } else {
    std::memset(out, ' ', blanks);
  }
  char* end = out + w;
  n = put_back(end, n, d);
  end -= d;
  *--end = '.';
  put_back(end, n, lead);
  end -= lead;
  if (negative) *--end = '-';
}

void format_exponent(char* out, int w, int d, double value) {
  if (format_non_finite(out, w, value)) return;
  if (d < 1 || d > kMaxFieldWidth) {
    std::memset(out, '*', w);
    return;
  }
  bool negative = std::signbit(value);
  double a = std::fabs(value);

  char digits[kMaxFieldWidth];
  int exponent = 0;
  if (a == 0) {
    std::memset(digits, '0', d);
  } else {
    // d significant digits, exactly rounded (ties to even) by the C library: "D.DDDe+XX". The
    // first digit is then the first after the point, so the exponent grows by one.
    char buf[kMaxFieldWidth + 16];
    std::snprintf(buf, sizeof buf, "%.*e", d - 1, a);
    digits[0] = buf[0];
    int pos = 1;
    if (d > 1) {
      std::memcpy(digits + 1, buf + 2, d - 1);
      pos = d + 1;
    }
    exponent = static_cast<int>(std::strtol(buf + pos + 1, nullptr, 10)) + 1;
  }

  char text[kMaxFieldWidth + 16];
  int len = 0;
  if (negative) text[len++] = '-';
  int zero_at = len;
  text[len++] = '0';
  text[len++] = '.';
  std::memcpy(text + len, digits, d);
  len += d;
  int mag = exponent < 0 ? -exponent : exponent;
  if (mag <= 99) {
    text[len++] = 'E';
    text[len++] = exponent < 0 ? '-' : '+';
    text[len++] = static_cast<char>('0' + mag / 10);
    text[len++] = static_cast<char>('0' + mag % 10);
  } else {
    // Three-digit exponents lose the letter: 0.123+100.
    text[len++] = exponent < 0 ? '-' : '+';
    text[len++] = static_cast<char>('0' + mag / 100);
    text[len++] = static_cast<char>('0' + mag / 10 % 10);
    text[len++] = static_cast<char>('0' + mag % 10);
  }

  if (len <= w) {
    fit(out, w, text, len);
  } else if (len == w + 1) {
    std::memmove(text + zero_at, text + zero_at + 1, len - zero_at - 1);
    fit(out, w, text, len - 1);
  } else {
    std::memset(out, '*', w);
  }
}

}  // namespace hs
