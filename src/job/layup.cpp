#include "job/layup.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace hs {

namespace {

class Parser {
 public:
  Parser(std::string_view text, LayupError& error) : s_(text), error_(error) {}

  bool layup(std::vector<LayupPly>& out) {
    blanks();
    if (!take('[')) return fail("a layup starts with [");
    std::vector<LayupPly> core;
    if (!sequence(core, 0)) return false;
    if (!take(']')) return fail(at_end() ? "missing ] at the end of the layup" : "expected / or ]");
    // The suffix: a count, s, or a count and s.
    blanks();
    const std::size_t suffix_at = pos_;
    long times = 1;
    if (pos_ < s_.size() && is_digit(s_[pos_])) {
      if (!count(times)) return false;
    }
    bool symmetric = false;
    if (pos_ < s_.size() && (s_[pos_] == 's' || s_[pos_] == 'S')) {
      symmetric = true;
      ++pos_;
    }
    blanks();
    if (!at_end()) return fail("unexpected text after the layup (s, Ns or N may follow ])");
    if (middle_ && !symmetric) {
      return fail_at(middle_at_, "a middle ply (_) belongs to a symmetric layup ([...]s)");
    }
    if (middle_ && times != 1) {
      return fail_at(middle_at_, "a middle ply (_) with a repeated symmetric layup is ambiguous");
    }
    const std::size_t n = core.size() * static_cast<std::size_t>(times);
    if (n * (symmetric ? 2 : 1) > kMaxLayupPlies) {
      return fail_at(suffix_at, "more than " + std::to_string(kMaxLayupPlies) + " plies");
    }
    out.clear();
    for (long t = 0; t < times; ++t) out.insert(out.end(), core.begin(), core.end());
    if (symmetric) {
      // The mirror image, without repeating a middle ply.
      const std::size_t half = out.size() - (middle_ ? 1 : 0);
      for (std::size_t k = half; k-- > 0;) out.push_back(out[k]);
    }
    return true;
  }

 private:
  bool sequence(std::vector<LayupPly>& out, int depth) {
    if (depth > kMaxDepth) return fail("groups nested too deep");
    for (;;) {
      blanks();
      if (middle_) return fail_at(middle_at_, "the middle ply (_) must be the last ply written");
      if (!item(out, depth)) return false;
      blanks();
      if (!take('/')) return true;
    }
  }

  bool item(std::vector<LayupPly>& out, int depth) {
    if (at_end()) return fail("missing ply at the end of the layup");
    if (take('(')) {
      std::vector<LayupPly> group;
      const std::size_t open = pos_ - 1;
      if (!sequence(group, depth + 1)) return false;
      if (!take(')')) return fail_at(open, "missing ) of the group");
      long times = 1;
      if (pos_ < s_.size() && is_digit(s_[pos_]) && !count(times)) return false;
      if (middle_ && times != 1) {
        return fail_at(middle_at_, "a middle ply (_) cannot be in a repeated group");
      }
      return append(out, group, times, open);
    }
    const std::size_t start = pos_;
    int pair = 0;  // +1: angle then -angle; -1: -angle then angle
    if (s_.substr(pos_, 2) == "+-" || s_.substr(pos_, 2) == "\u00b1") {
      pair = 1;
      pos_ += 2;
    } else if (s_.substr(pos_, 2) == "-+") {
      pair = -1;
      pos_ += 2;
    } else if (s_.substr(pos_, 3) == "\u2213") {
      pair = -1;
      pos_ += 3;
    }
    double angle;
    if (!number(angle)) return false;
    long times = 1;
    bool middle = false;
    if (take('_')) {
      if (pos_ < s_.size() && is_digit(s_[pos_])) {
        if (!count(times)) return false;
      } else {
        middle = true;
      }
    }
    std::string material;
    if (take(':')) {
      const std::size_t name_at = pos_;
      while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) ||
                                  s_[pos_] == '-' || s_[pos_] == '_' || s_[pos_] == '.')) {
        ++pos_;
      }
      if (pos_ == name_at) return fail("a material name after :");
      material = std::string(s_.substr(name_at, pos_ - name_at));
    }
    if (middle && pair != 0) return fail_at(start, "a middle ply is a single ply, not a pair");
    std::vector<LayupPly> plies;
    if (pair == 0) {
      plies.push_back({angle, material});
    } else {
      plies.push_back({pair * angle, material});
      plies.push_back({-pair * angle, material});
    }
    if (middle) {
      middle_ = true;
      middle_at_ = start;
    }
    return append(out, plies, times, start);
  }

  bool append(std::vector<LayupPly>& out, const std::vector<LayupPly>& plies, long times,
              std::size_t at) {
    if (plies.size() * static_cast<std::size_t>(times) + out.size() > kMaxLayupPlies) {
      return fail_at(at, "more than " + std::to_string(kMaxLayupPlies) + " plies");
    }
    for (long t = 0; t < times; ++t) out.insert(out.end(), plies.begin(), plies.end());
    return true;
  }

  // An angle in degrees: an optional sign, digits, an optional point and decimals.
  bool number(double& value) {
    const std::size_t start = pos_;
    if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
    bool digits = false;
    while (pos_ < s_.size() && is_digit(s_[pos_])) ++pos_, digits = true;
    if (pos_ < s_.size() && s_[pos_] == '.') {
      ++pos_;
      while (pos_ < s_.size() && is_digit(s_[pos_])) ++pos_, digits = true;
    }
    if (!digits) {
      pos_ = start;
      return fail("expected a ply angle (degrees), a ±angle pair or a (group)");
    }
    std::string_view t = s_.substr(start, pos_ - start);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
    // libc++ 13 (the web page's Emscripten) has no floating-point from_chars; the text is
    // digits with an optional sign and point, which strtod reads correctly rounded as well.
    const std::string copy(t);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    const bool read = end == copy.c_str() + copy.size();
#else
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    const bool read = r.ec == std::errc();
#endif
    if (!read || !std::isfinite(value) || std::fabs(value) > 1e6) {
      return fail_at(start, "not a ply angle");
    }
    return true;
  }

  // A count of 1 to 10000.
  bool count(long& n) {
    const std::size_t start = pos_;
    n = 0;
    while (pos_ < s_.size() && is_digit(s_[pos_])) {
      n = n * 10 + (s_[pos_] - '0');
      ++pos_;
      if (n > kMaxCount) return fail_at(start, "a count from 1 to 10000");
    }
    if (n < 1) return fail_at(start, "a count from 1 to 10000");
    return true;
  }

  static bool is_digit(char c) { return c >= '0' && c <= '9'; }
  void blanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  bool take(char c) {
    blanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool at_end() const { return pos_ >= s_.size(); }
  bool fail(const std::string& message) { return fail_at(pos_, message); }
  bool fail_at(std::size_t at, const std::string& message) {
    error_ = {at, message};
    return false;
  }

  static constexpr int kMaxDepth = 16;
  static constexpr long kMaxCount = 10000;
  std::string_view s_;
  LayupError& error_;
  std::size_t pos_ = 0;
  bool middle_ = false;
  std::size_t middle_at_ = 0;
};

}  // namespace

bool expand_layup(std::string_view text, std::vector<LayupPly>& plies, LayupError& error) {
  return Parser(text, error).layup(plies);
}

}  // namespace hs
