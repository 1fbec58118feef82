#include "job/toml_limits.hpp"

namespace hs {

namespace {

// Where a string starting at text[i] ends (one past its closing quote), for the four kinds of
// TOML string; lines are counted on the way.
std::size_t skip_string(std::string_view text, std::size_t i, int& line, std::size_t& line_start) {
  const char quote = text[i];
  const bool multi = text.substr(i, 3) == std::string_view(quote == '"' ? "\"\"\"" : "'''");
  std::size_t k = i + (multi ? 3 : 1);
  while (k < text.size()) {
    const char c = text[k];
    if (c == '\\' && quote == '"') {
      k += 2;
      continue;
    }
    if (c == '\n') {
      if (!multi) return k;  // an unterminated string: the parser will say so
      ++line;
      line_start = k + 1;
    }
    if (c == quote) {
      if (!multi) return k + 1;
      if (text.substr(k, 3) == std::string_view(quote == '"' ? "\"\"\"" : "'''")) return k + 3;
    }
    ++k;
  }
  return k;
}

}  // namespace

bool within_toml_limits(std::string_view text, TomlLimitBreach& breach) {
  if (text.size() > kMaxJobFileBytes) {
    breach = {1, 1, "the file is larger than " + std::to_string(kMaxJobFileBytes / (1024 * 1024)) +
                        " MiB: not a job file"};
    return false;
  }
  int line = 1, depth = 0, dots = 0;
  std::size_t line_start = 0;
  bool line_begins = true;  // only blanks so far on this line
  bool in_header = false;   // inside [table] or [[array of tables]]
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const int column = static_cast<int>(i - line_start) + 1;
    if (c == '"' || c == '\'') {
      i = skip_string(text, i, line, line_start);
      line_begins = false;
      continue;
    }
    if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (c == '\n') {
      ++line;
      line_start = i + 1;
      line_begins = true;
      dots = 0;
      ++i;
      continue;
    }
    if (c == '.') {
      if (++dots >= kMaxTomlKeyParts) {
        breach = {line, column,
                  "a dotted key of more than " + std::to_string(kMaxTomlKeyParts) + " parts"};
        return false;
      }
    } else if (c == ']' && in_header) {
      in_header = false;
      dots = 0;
      if (i + 1 < text.size() && text[i + 1] == ']') ++i;  // ]]
    } else if (c == '=' || c == ',' || c == ']' || c == '}') {
      dots = 0;
      if (c == ']' || c == '}') --depth;
    } else if (c == '[' && line_begins && depth == 0) {
      // A table header ([table], [[array]]) opens no value.
      in_header = true;
      dots = 0;
      if (i + 1 < text.size() && text[i + 1] == '[') ++i;  // [[
    } else if (c == '[' || c == '{') {
      dots = 0;
      if (++depth > kMaxTomlNesting) {
        breach = {line, column,
                  "arrays or inline tables nested more than " + std::to_string(kMaxTomlNesting) +
                      " deep"};
        return false;
      }
    }
    if (c != ' ' && c != '\t' && c != '\r') line_begins = false;
    ++i;
  }
  return true;
}

}  // namespace hs
