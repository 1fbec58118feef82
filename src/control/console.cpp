#include "control/console.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>

#include "control/edit.hpp"
#include "numeric/truncate.hpp"

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

Console::Console(std::istream& in, std::ostream& out, std::ostream& err)
    : in_(in.rdbuf()), out_(out), err_(err) {}

Console::~Console() {
  flush();
}

void Console::flush() {
  if (used_ > 0) out_.write(buf_, static_cast<std::streamsize>(used_));
  used_ = 0;
  out_.flush();
}

// ---------------------------------------------------------------------------------------------
// Formatted write

const Console::Format& Console::compiled(const char* format) {
  // Table rows repeat one format: try the last one first.
  if (last_ < n_formats_ && formats_[last_].key == format) return formats_[last_];
  for (int i = 0; i < n_formats_; ++i) {
    if (formats_[i].key == format) {
      last_ = i;
      return formats_[i];
    }
  }
  if (n_formats_ == kMaxFormats || !compile(format, formats_[n_formats_])) {
    // The pools are full: start them afresh with this format alone.
    n_formats_ = n_items_ = n_text_ = 0;
    compile(format, formats_[0]);
  }
  last_ = n_formats_++;
  return formats_[last_];
}

bool Console::compile(const char* format, Format& f) {
  f.key = format;
  f.first = n_items_;
  f.count = 0;
  f.has_data = false;
  auto push = [&](FormatItem item) {
    if (n_items_ == kMaxItems) return false;
    items_[n_items_++] = item;
    ++f.count;
    return true;
  };
  auto number = [](const char*& p) {
    int v = 0;
    while (is_digit(*p) && v < 100000) v = v * 10 + (*p++ - '0');
    return v;
  };

  const char* p = format;
  while (*p == ' ') ++p;
  if (*p == '(') ++p;
  while (*p != '\0' && *p != ')') {
    char c = *p;
    if (c == ' ' || c == ',') {
      ++p;
      continue;
    }
    if (c == '\'') {
      int start = n_text_;
      ++p;
      while (*p != '\0') {
        if (*p == '\'') {
          if (p[1] != '\'') break;
          ++p;  // a doubled apostrophe prints one
        }
        if (n_text_ == kMaxText) return false;
        text_[n_text_++] = *p++;
      }
      if (*p == '\'') ++p;
      if (!push({FormatItem::kLiteral, start, n_text_ - start})) return false;
      continue;
    }
    bool counted = is_digit(c);
    int r = counted ? number(p) : 1;
    char d = *p;
    if (d == 'X' || d == 'x') {
      ++p;
      if (!push({FormatItem::kSkip, r, 0})) return false;
    } else if (d == '/') {
      ++p;
      for (int k = 0; k < r; ++k) {
        if (!push({FormatItem::kSlash, 0, 0})) return false;
      }
    } else if (d == 'I' || d == 'i' || d == 'F' || d == 'f' || d == 'E' || d == 'e') {
      ++p;
      int w = number(p);
      int dd = 0;
      if (*p == '.') {
        ++p;
        dd = number(p);
      }
      if (w < 1) w = 1;
      if (w > kMaxFieldWidth) w = kMaxFieldWidth;
      if (dd > w) dd = w;
      FormatItem::Kind kind = (d == 'I' || d == 'i')   ? FormatItem::kInt
                              : (d == 'F' || d == 'f') ? FormatItem::kFixed
                                                       : FormatItem::kExp;
      for (int k = 0; k < r; ++k) {
        if (!push({kind, w, dd})) return false;
      }
      f.has_data = true;
    } else {
      ++p;  // nothing else is written by this program's formats
    }
  }
  return true;
}

void Console::begin_record() {
  if (kBufSize - used_ < static_cast<std::size_t>(kMaxRecord) + 2) flush();
  rec_len_ = 0;
  rec_pos_ = 0;
}

void Console::end_record() {
  buf_[used_ + rec_len_] = '\r';
  buf_[used_ + rec_len_ + 1] = '\n';
  used_ += rec_len_ + 2;
}

// Room for width characters at the current position, after blanks for any columns skipped.
char* Console::field(int width) {
  if (rec_pos_ + width > kMaxRecord) {
    rec_pos_ += width;
    return nullptr;
  }
  char* rec = buf_ + used_;
  if (rec_pos_ > rec_len_) std::memset(rec + rec_len_, ' ', rec_pos_ - rec_len_);
  char* at = rec + rec_pos_;
  rec_pos_ += width;
  rec_len_ = rec_pos_;
  return at;
}

void Console::write(const char* format, const Value* values, int n) {
  if (silent_) return;
  const Format& f = compiled(format);
  int vi = 0;
  begin_record();
  for (;;) {
    for (int k = 0; k < f.count; ++k) {
      const FormatItem& item = items_[f.first + k];
      switch (item.kind) {
        case FormatItem::kLiteral:
          if (char* at = field(item.b)) std::memcpy(at, text_ + item.a, item.b);
          break;
        case FormatItem::kSkip:
          rec_pos_ += item.a;
          break;
        case FormatItem::kSlash:
          end_record();
          begin_record();
          break;
        case FormatItem::kInt:
        case FormatItem::kFixed:
        case FormatItem::kExp: {
          if (vi == n) {
            end_record();
            return;
          }
          const Value& v = values[vi++];
          char* at = field(item.a);
          if (at == nullptr) break;
          if (item.kind == FormatItem::kInt) {
            edit_i(at, item.a, v.is_int ? v.i : truncate_to_int(v.d));
          } else {
            double x = v.is_int ? static_cast<double>(v.i) : v.d;
            if (item.kind == FormatItem::kFixed) {
              edit_f(at, item.a, item.b, x);
            } else {
              edit_e(at, item.a, item.b, x);
            }
          }
          break;
        }
      }
    }
    end_record();
    if (vi == n || !f.has_data) return;
    begin_record();  // values left: the format starts again on a new record
  }
}

// ---------------------------------------------------------------------------------------------
// Reading

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
  flush();
  int item = 0;  // index of the next item to fill
  enum { kStart, kAfterValue, kAfterComma } sep = kStart;
  while (item < n) {
    int c = get();
    if (c == ' ' || c == '\t' || c == kEol) continue;
    if (c == kEof) return fail("End of file", 0);
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
