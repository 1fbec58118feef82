// The text of a results document.
//
// The large lists of a results document (a value at every station, of every ply) are kept in the
// document as series: the doubles themselves in one block (a JSON "binary" value of subtype
// kSeriesSubtype), not as a JSON value per number, so that building, writing and freeing a
// document of millions of numbers costs little. json_text writes a series as the list of numbers
// it stands for (null where a value is not finite), one series to a line, and everything else as
// the JSON library writes it; series_values reads one back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/json_results.hpp"

namespace hs {

inline constexpr std::uint64_t kSeriesSubtype = 0x64;  // 'd': doubles in the machine's byte order

// A series of the values.
Json series_json(const std::vector<double>& values);

// Whether j is a series, and its values.
bool is_series(const Json& j);
std::vector<double> series_values(const Json& j);

// The document as JSON text: indent < 0 compact, otherwise each member and element on its own
// line indented by that many spaces per level (a series on one line). Strings that are not valid
// UTF-8 have the bad bytes replaced, never thrown on.
std::string json_text(const Json& doc, int indent);

}  // namespace hs
