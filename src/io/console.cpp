#include "io/console.hpp"

#include <cstring>
#include <istream>
#include <ostream>

#include "io/edit_descriptors.hpp"
#include "numeric/guarded_conversion.hpp"

namespace hs {

namespace {

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

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

void Console::write_record(std::string_view text) {
  if (silent_) return;
  begin_record();
  int n = static_cast<int>(text.size() < static_cast<std::size_t>(kMaxRecord) ? text.size()
                                                                              : kMaxRecord);
  if (char* at = field(n)) std::memcpy(at, text.data(), n);
  end_record();
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
            format_integer(at, item.a, v.is_int ? v.i : truncate_to_int(v.d));
          } else {
            double x = v.is_int ? static_cast<double>(v.i) : v.d;
            if (item.kind == FormatItem::kFixed) {
              format_fixed(at, item.a, item.b, x);
            } else {
              format_exponent(at, item.a, item.b, x);
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

}  // namespace hs
