#include "job/toml_text.hpp"

#include <charconv>
#include <cmath>

#include "io/float_to_chars.hpp"

namespace hs {

// The shortest text that reads back to the same double, as a TOML float: whole numbers below
// 1e16 in plain digits with ".0" (20000000.0 rather than 2e+07), everything else in the shortest
// form std::to_chars finds ("0.30000000000000004", "2.5e+22", "1e-300").
std::string toml_number(double x) {
  char buf[64];
  std::to_chars_result r = (x == std::trunc(x) && std::fabs(x) < 1e16)
                               ? double_to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed)
                               : double_to_chars(buf, buf + sizeof buf, x);
  std::string s(buf, r.ptr);
  // Plain digits would be a TOML integer (and may not fit 64 bits): make them a float. inf and
  // nan are TOML words as they stand.
  if (s.find_first_of(".ein") == std::string::npos) s += ".0";
  return s;
}

// A TOML basic string.
std::string toml_string(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          static const char hex[] = "0123456789ABCDEF";
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + '"';
}

bool is_bare_key(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

std::string toml_key(std::string_view s) {
  return is_bare_key(s) ? std::string(s) : toml_string(s);
}

}  // namespace hs
