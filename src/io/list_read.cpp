// List reads and answer reads of the console: see console.hpp.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>

#include "io/console.hpp"

namespace hs {

namespace {

constexpr int kEol = -2;  // end of the current input line (its line end consumed)
constexpr int kEof = -1;  // no further input line

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

bool is_separator(int c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/' || c == kEol || c == kEof;
}

// Reads the characters of one number token as they arrive, without storing the token: sign,
// mantissa digits with at most one point, and an exponent (E, e, D, d with optional sign, or a
// sign alone, followed by digits). Only the first kKeep significant digits are kept; a non-zero
// digit beyond them is remembered, which is enough to round every decimal number correctly.
class NumberScan {
 public:
  // Feeds one character; false when it cannot continue a number.
  bool feed(int c) {
    switch (part_) {
      case kMantissa:
        if (is_digit(c)) {
          digit(c);
          return true;
        }
        if ((c == '+' || c == '-') && !any_mantissa_char()) {
          signed_ = true;
          negative_ = c == '-';
          return true;
        }
        if (c == '.' && !point_) {
          point_ = true;
          return true;
        }
        if (!has_digits_) return false;
        if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
          part_ = kExpLetter;
          return true;
        }
        if (c == '+' || c == '-') {
          part_ = kExpSign;
          exp_negative_ = c == '-';
          return true;
        }
        return false;
      case kExpLetter:
        if (c == '+' || c == '-') {
          part_ = kExpSign;
          exp_negative_ = c == '-';
          return true;
        }
        [[fallthrough]];
      case kExpSign:
      case kExpDigits:
        if (!is_digit(c)) return false;
        part_ = kExpDigits;
        if (exp_ < 100000000) exp_ = exp_ * 10 + (c - '0');
        return true;
    }
    return false;
  }

  bool empty() const { return !signed_ && !point_ && !has_digits_ && part_ == kMantissa; }

  // Digits only, no sign, point or exponent: the form of a repeat count.
  bool plain_digits() const { return !signed_ && !point_ && has_digits_ && part_ == kMantissa; }

  bool complete() const { return has_digits_ && (part_ == kMantissa || part_ == kExpDigits); }

  // The token as a 32-bit integer; false when it is not an integer form or does not fit.
  bool integer_form() const { return complete() && !point_ && part_ == kMantissa; }
  bool to_int(int& value) const {
    int64_t v = 0;
    if (n_sig_ > 10 || sticky_) return false;
    for (int i = 0; i < n_sig_; ++i) v = v * 10 + (sig_[i] - '0');
    if (negative_) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
  }

  // The token as a double, correctly rounded; false when it overflows the double range.
  bool to_double(double& value) const {
    if (n_sig_ == 0) {
      value = negative_ ? -0.0 : 0.0;
      return true;
    }
    int64_t e = int_digits_ - frac_zeros_ + (exp_negative_ ? -exp_ : exp_);
    if (e > 100000) e = 100000;
    if (e < -100000) e = -100000;
    char text[kKeep + 32];
    int len = 0;
    if (negative_) text[len++] = '-';
    text[len++] = '0';
    text[len++] = '.';
    std::memcpy(text + len, sig_, n_sig_);
    len += n_sig_;
    if (sticky_) text[len++] = '1';
    std::snprintf(text + len, sizeof text - len, "e%lld", static_cast<long long>(e));
    double v = std::strtod(text, nullptr);
    if (!std::isfinite(v)) return false;  // the item keeps its value
    value = v;
    return true;
  }

 private:
  enum Part { kMantissa, kExpLetter, kExpSign, kExpDigits };
  static constexpr int kKeep = 800;

  bool any_mantissa_char() const { return signed_ || point_ || has_digits_; }

  void digit(int c) {
    has_digits_ = true;
    if (n_sig_ == 0 && c == '0') {
      if (point_) ++frac_zeros_;  // zeros right after the point shift the value down
      return;
    }
    if (!point_) ++int_digits_;
    if (n_sig_ < kKeep) {
      sig_[n_sig_++] = static_cast<char>(c);
    } else if (c != '0') {
      sticky_ = true;
    }
  }

  Part part_ = kMantissa;
  bool signed_ = false;
  bool negative_ = false;
  bool point_ = false;
  bool has_digits_ = false;
  char sig_[kKeep];
  int n_sig_ = 0;
  bool sticky_ = false;
  int64_t int_digits_ = 0;  // significant digits before the point
  int64_t frac_zeros_ = 0;  // zeros between the point and the first significant digit
  bool exp_negative_ = false;
  int64_t exp_ = 0;
};

}  // namespace

// The next byte of the current line, kEol at its end (consuming the line end), or kEof when the
// input has no further line. A line may end in LF, CR LF, or the end of the input.
int Console::get() {
  using traits = std::char_traits<char>;
  int c = in_->sbumpc();
  if (c == traits::eof()) {
    if (mid_line_) {
      mid_line_ = false;
      return kEol;
    }
    return kEof;
  }
  if (c == '\n') {
    mid_line_ = false;
    return kEol;
  }
  if (c == '\r') {
    int next = in_->sgetc();
    if (next == '\n' || next == traits::eof()) {
      if (next == '\n') in_->sbumpc();
      mid_line_ = false;
      return kEol;
    }
  }
  mid_line_ = true;
  return static_cast<unsigned char>(c);
}

// Drops the rest of the current line, so that the next read starts on a fresh one.
void Console::finish_record() {
  while (mid_line_) get();
}

bool Console::fail(const char* message, int item) {
  flush();
  char text[128];
  std::snprintf(text, sizeof text, message, item);
  err_ << text << '\n';
  err_.flush();
  return false;
}

bool Console::read_answer(char answer[4]) {
  prompt_ = nullptr;
  flush();
  std::memset(answer, ' ', 4);
  int c = get();
  if (c == kEof) return fail("End of file", 0);
  for (int k = 0; c != kEol && c != kEof; c = get()) {
    if (k < 3) answer[k++] = static_cast<char>(c);
  }
  return true;
}

bool Console::read(const Item* items, int n) {
  // Snapshots of the items, so that a read typed again at a terminal starts from them.
  constexpr int kKeep = 64;
  double kept_d[kKeep];
  int kept_i[kKeep];
  for (int k = 0; k < n && k < kKeep; ++k) {
    if (items[k].i) kept_i[k] = *items[k].i;
    if (items[k].d) kept_d[k] = *items[k].d;
  }
  for (;;) {
    eof_ = false;
    if (read_once(items, n)) {
      prompt_ = nullptr;
      return true;
    }
    // Piped input ends the run; at a terminal one mistyped value does not lose the session: the
    // line is dropped, the items are as they were, and the question is asked again.
    if (!interactive_ || eof_ || n > kKeep) return false;
    finish_record();
    for (int k = 0; k < n; ++k) {
      if (items[k].i) *items[k].i = kept_i[k];
      if (items[k].d) *items[k].d = kept_d[k];
    }
    err_ << "Type the line again.\n";
    err_.flush();
    if (prompt_) write(prompt_);
  }
}

bool Console::read_once(const Item* items, int n) {
  flush();
  int item = 0;  // index of the next item to fill
  enum { kStart, kAfterValue, kAfterComma } sep = kStart;
  while (item < n) {
    int c = get();
    if (c == ' ' || c == '\t' || c == kEol) continue;
    if (c == kEof) {
      eof_ = true;
      return fail("End of file", 0);
    }
    if (c == '/') break;
    if (c == ',') {
      if (sep != kAfterValue) ++item;  // null value: the item keeps its value
      sep = kAfterComma;
      continue;
    }

    // A value, or a repeat count and its value.
    int repeat = 1;
    bool repeated = false;
    NumberScan scan;
    for (; !is_separator(c); c = get()) {
      if (c == '*' && !repeated && scan.plain_digits()) {
        int r;
        if (!scan.to_int(r) || r > 200000000) {
          return fail("Repeat count overflow in item %d of list input", item + 1);
        }
        if (r == 0) return fail("Zero repeat count in item %d of list input", item + 1);
        repeat = r;
        repeated = true;
        scan = NumberScan();
        continue;
      }
      if (!scan.feed(c)) break;
    }
    if (!is_separator(c) || !(scan.complete() || (repeated && scan.empty()))) {
      if (items[item].i != nullptr) return fail("Bad integer for item %d in list input", item + 1);
      return fail("Bad real number in item %d of list input", item + 1);
    }
    for (int k = 0; k < repeat && item < n; ++k, ++item) {
      if (scan.empty()) continue;  // r* alone: null values
      const Item& it = items[item];
      if (it.i != nullptr) {
        if (!scan.integer_form()) return fail("Bad integer for item %d in list input", item + 1);
        if (!scan.to_int(*it.i)) {
          return fail("Integer overflow while reading item %d", item + 1);
        }
      } else if (!scan.to_double(*it.d)) {
        return fail("Real number out of range in item %d of list input", item + 1);
      }
    }
    if (c == '/') break;
    sep = c == ',' ? kAfterComma : kAfterValue;
  }
  finish_record();
  return true;
}

}  // namespace hs
