// The text of a results document.
//
// The large lists of a results document (a value at every station, of every ply) are kept in the
// document as series: the doubles themselves in one block (a JSON "binary" value of subtype
// kSeriesSubtype), not as a JSON value per number, so that building, writing and freeing a
// document of millions of numbers costs little. json_text writes a series as the list of numbers
// it stands for (null where a value is not finite), one series to a line, and everything else as
// the JSON library writes it; series_values reads one back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runner/json_results.hpp"

namespace hs {

inline constexpr std::uint64_t kSeriesSubtype = 0x64;  // 'd': doubles in the machine's byte order

// A series of the values.
Json series_json(const std::vector<double>& values);
// A series of n values, value(i) for each i, formed in place.
template <class F>
Json series_json(std::size_t n, F value) {
  std::vector<std::uint8_t> bytes(n * sizeof(double));
  for (std::size_t i = 0; i < n; ++i) {
    const double v = value(i);
    std::memcpy(bytes.data() + i * sizeof(double), &v, sizeof v);
  }
  return Json::binary(std::move(bytes), kSeriesSubtype);
}

// Whether j is a series, and its values.
bool is_series(const Json& j);
std::vector<double> series_values(const Json& j);

// The document as JSON text: indent < 0 compact, otherwise each member and element on its own
// line indented by that many spaces per level (a series on one line). Strings that are not valid
// UTF-8 have the bad bytes replaced, never thrown on.
std::string json_text(const Json& doc, int indent);

// The same text handed to `write` in pieces of about kJsonPieceBytes, in order, so that a document
// of millions of numbers is never held as text whole. The numbers of the series are written out
// on `threads` threads (0: one per core), a few pieces at a time. False as soon as write returns
// false (nothing more is handed on).
inline constexpr std::size_t kJsonPieceBytes = std::size_t{1} << 20;
bool write_json_text(const Json& doc, int indent, int threads,
                     const std::function<bool(std::string_view)>& write);

}  // namespace hs
