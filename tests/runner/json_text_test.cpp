// The text of a results document: series written as the lists of numbers they stand for, the
// rest as the JSON library writes it.
#include "runner/json_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace hs {
namespace {

// Catches a series number written with fewer digits, a non-finite value written as a number (no
// JSON reader takes it), a whole number that reads back as an integer, a series out of order, or
// a layout that no longer matches the library's (indentation, separators, escapes, bad UTF-8).
TEST(JsonText, SeriesAndLayout) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> values = {0.1 + 0.2, -2.5e22, 20000.0, nan, -inf, 5e-324, -0.0};
  const Json s = series_json(values);
  ASSERT_TRUE(is_series(s));
  EXPECT_EQ("[0.30000000000000004,-2.5e+22,20000.0,null,null,5e-324,-0.0]", json_text(s, -1));
  EXPECT_EQ("[0.30000000000000004, -2.5e+22, 20000.0, null, null, 5e-324, -0.0]", json_text(s, 2));
  const std::vector<double> back = series_values(s);
  ASSERT_EQ(values.size(), back.size());
  EXPECT_TRUE(std::isnan(back[3]));
  EXPECT_EQ(-inf, back[4]);

  // Without series the text is the library's, compact and indented.
  const Json plain = {{"name", "LC \"1\"\n\xE2\x82\xAC"},
                      {"empty", Json::object()},
                      {"list", {1, 2.5, nullptr, true, Json::array()}},
                      {"nested", {{"a", {{"b", -3}}}}}};
  for (int indent : {-1, 0, 1, 4}) {
    EXPECT_EQ(plain.dump(indent), json_text(plain, indent)) << indent;
  }
  // Bytes that are not UTF-8 are replaced, not thrown on.
  const Json bad = {{"title", std::string("bad \xFF byte")}};
  EXPECT_EQ(bad.dump(-1, ' ', false, Json::error_handler_t::replace), json_text(bad, -1));

  // A series reads back, through the text, as the numbers themselves.
  Json doc = {{"x", s}, {"n", 1}};
  const Json read = Json::parse(json_text(doc, 1));
  ASSERT_EQ(values.size(), read["x"].size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (std::isfinite(values[i])) {
      EXPECT_EQ(values[i], read["x"][i].get<double>()) << i;
      EXPECT_TRUE(read["x"][i].is_number_float()) << i;
    } else {
      EXPECT_TRUE(read["x"][i].is_null()) << i;
    }
  }
}

// Catches pieces handed on out of order, a piece lost or written twice at a series cut, threads
// that change a byte, a whole document held as one piece, and a failed write that does not stop
// the writing: the pieces of a document of several mebibytes against its text formed whole.
TEST(JsonText, PiecesOnThreadsAreTheWholeText) {
  std::vector<double> long_series(300000), short_series(3);
  for (std::size_t i = 0; i < long_series.size(); ++i) long_series[i] = std::sin(0.001 * i) * 1e3;
  short_series = {1.0, std::numeric_limits<double>::quiet_NaN(), -0.5};
  Json doc = {{"title", "pieces"},
              {"empty", series_json(std::vector<double>{})},
              {"cases",
               {{{"x", series_json(long_series)}, {"y", series_json(short_series)}},
                {{"x", series_json(short_series)}, {"n", 2}}}}};
  for (int indent : {-1, 1}) {
    const std::string whole = json_text(doc, indent);
    for (int threads : {1, 2, 3}) {
      std::string joined;
      std::size_t pieces = 0, largest = 0;
      ASSERT_TRUE(write_json_text(doc, indent, threads, [&](std::string_view piece) {
        joined += piece;
        ++pieces;
        largest = std::max(largest, piece.size());
        return true;
      }));
      EXPECT_EQ(whole, joined) << indent << " " << threads;
      EXPECT_GT(pieces, 3u);
      EXPECT_LT(largest, 2 * kJsonPieceBytes);
    }
  }
  // The first failed write ends it: nothing more is handed on.
  int calls = 0;
  EXPECT_FALSE(write_json_text(doc, 1, 2, [&](std::string_view) { return ++calls < 2; }));
  EXPECT_EQ(2, calls);
}

}  // namespace
}  // namespace hs
