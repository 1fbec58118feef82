// Bounds on a job file that keep its reading safe, checked on the text before the TOML parser
// sees it. A parser follows dotted keys and nested arrays and tables by recursion; a key of a
// hundred thousand parts (a.a.a. ... = 1) or arrays nested as deep exhaust its stack. No job needs
// more than a few levels, so the text is refused beyond these, with the line and column where
// the limit is passed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hs {

constexpr std::size_t kMaxJobFileBytes = 16 * 1024 * 1024;
constexpr int kMaxTomlKeyParts = 64;  // dots in one key, plus one
constexpr int kMaxTomlNesting = 64;   // arrays and inline tables, one inside the other

struct TomlLimitBreach {
  int line = 0, column = 0;  // from 1
  std::string message;
};

// False, with where and why, when the text passes a limit: its size, the parts of a dotted key,
// or the nesting of arrays and inline tables (strings and comments are skipped).
bool within_toml_limits(std::string_view text, TomlLimitBreach& breach);

}  // namespace hs
