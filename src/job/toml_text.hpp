// Values written as TOML text, as job files hold them.
#pragma once

#include <string>
#include <string_view>

namespace hs {

// The shortest text that reads back to the same double, as a TOML float: whole numbers below
// 1e16 in plain digits with ".0" (20000000.0 rather than 2e+07), everything else in the shortest
// form ("0.30000000000000004", "2.5e+22", "1e-300"); nan, inf and -inf as the TOML words.
std::string toml_number(double x);

// A TOML basic string, every character that needs it escaped.
std::string toml_string(std::string_view s);

// A key as it stands when it is made of letters, digits, '_' and '-' (a bare key); otherwise as a
// basic string.
bool is_bare_key(std::string_view s);
std::string toml_key(std::string_view s);

}  // namespace hs
