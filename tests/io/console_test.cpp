#include "io/console.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

namespace hs {
namespace {

using namespace std::string_literals;

// What a console over the given input wrote to its output, after calling use on it.
template <class Use>
std::string output(const std::string& input, Use use, std::string* err_text = nullptr) {
  std::istringstream in(input);
  std::ostringstream out, err;
  {
    Console con(in, out, err);
    use(con);
  }
  if (err_text) *err_text = err.str();
  return out.str();
}

// Catches misreading of the format items: apostrophes, skips, slashes, repeats, the end of the
// write at a data descriptor without a value, reversion with values left, and the CR LF ends.
TEST(ConsoleWrite, FormatItems) {
  const struct {
    const char* format;
    std::vector<Value> values;
    const char* expected;
  } table[] = {
      // clang-format off
      {"('IT''S ''A''')", {}, "IT'S 'A'\r\n"}, {"(' A',3X,'B')", {}, " A   B\r\n"},
      {"(' A',3X)", {}, " A\r\n"}, {"(/' A')", {}, "\r\n A\r\n"}, {"(' A'/)", {}, " A\r\n\r\n"},
      {"(//' A')", {}, "\r\n\r\n A\r\n"}, {"(///' A')", {}, "\r\n\r\n\r\n A\r\n"},
      {"(' A'//' B'/,' C')", {}, " A\r\n\r\n B\r\n C\r\n"},
      {"(2I3,F6.2,E10.3)", {1, -22, 1.5, 12345.0}, "  1-22  1.50 0.123E+05\r\n"},
      {"(3F5.1)", {1.0, 2.0, 3.0}, "  1.0  2.0  3.0\r\n"},
      {"(' X=',I3,' Y=',I3,' END')", {5}, " X=  5 Y=\r\n"},
      {"(' X=',I3,' Y=',I3,' END')", {}, " X=\r\n"},
      {"(' V',2I3)", {1, 2, 3}, " V  1  2\r\n V  3\r\n"},
      {"(' V',2I3)", {1, 2, 3, 4}, " V  1  2\r\n V  3  4\r\n"},
      {"(//25X,'LAYUP:  ',I3,'/',I3,'/',I3)", {100, 0, 0},
       "\r\n\r\n                         LAYUP:  100/  0/  0\r\n"},
      // clang-format on
  };
  for (const auto& w : table) {
    auto write = [&](Console& con) {
      con.write(w.format, w.values.data(), static_cast<int>(w.values.size()));
    };
    EXPECT_EQ(w.expected, output("", write)) << w.format;
  }
}

// Catches a compiled format that outlives the pools it was stored in: more formats, longer
// literals and more items than the pools hold, each written twice, in turn and interleaved, so
// that the pools fill and restart while formats from before the restart are still asked for.
TEST(ConsoleWrite, FormatsBeyondThePools) {
  std::vector<std::string> formats, rows;
  std::vector<Value> values;
  for (int k = 0; k < 150; ++k) {
    std::string literal(k % 7 == 0 ? 900 : 20 + k, static_cast<char>('A' + k % 26));
    formats.push_back("('" + literal + "'," + std::to_string(1 + k % 30) + "I4)");
    for (int r = 0; r <= k % 30; ++r) literal += "   " + std::to_string(r % 10);
    rows.push_back(literal + "\r\n");
    if (k < 30) values.emplace_back(k % 10);
  }
  std::string want;
  std::string got = output("", [&](Console& con) {
    for (int k = 0; k < 300; ++k) {
      int f = k < 150 ? k : (k * 37) % 150;
      con.write(formats[f].c_str(), values.data(), 1 + f % 30);
      want += rows[f];
    }
  });
  EXPECT_EQ(want, got);
}

// List-reads items of the given kinds (i integer, r real; each starts at -1) from the input and
// describes the outcome: the values (shortest exact form) and, after " | ", the first three
// characters of the next line, or "EOF"; for a failed read, the diagnostic line.
std::string list_read(const std::string& input, const std::string& kinds) {
  std::vector<int> ints(kinds.size(), -1);
  std::vector<double> reals(kinds.size(), -1.0);
  std::vector<Item> items;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    kinds[k] == 'i' ? items.emplace_back(ints[k]) : items.emplace_back(reals[k]);
  }
  std::string text, err;
  auto read = [&](Console& con) {
    if (!con.read(items.data(), static_cast<int>(items.size()))) return;
    char buf[32], answer[4];
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      auto to = kinds[k] == 'i' ? std::to_chars(buf, buf + 32, ints[k])
                                : std::to_chars(buf, buf + 32, reals[k]);
      text += std::string(buf, to.ptr) + " ";
    }
    text += "| " + (con.read_answer(answer) ? std::string(answer, 3) : "EOF");
  };
  output(input, read, &err);
  return text.empty() ? err : text;
}

// Catches every departure from the list-read rules, and every diagnostic with its item number;
// megabyte lines, bytes that belong to no number and values that do not fit their item included.
TEST(ConsoleRead, ListRules) {
  const std::string zeros(4 << 20, '0'), blanks(8 << 20, ' '), text(4 << 20, 'x');
  auto diagnostic = [](const char* before, const char* after) {
    return [=](int item) { return before + std::to_string(item) + after + "\n"; };
  };
  auto bad_int = diagnostic("Bad integer for item ", " in list input");
  auto bad_real = diagnostic("Bad real number in item ", " of list input");
  auto overflow = diagnostic("Integer overflow while reading item ", "");
  auto out_of_range = diagnostic("Real number out of range in item ", " of list input");
  auto zero_count = diagnostic("Zero repeat count in item ", " of list input");
  auto big_count = diagnostic("Repeat count overflow in item ", " of list input");
  const std::string table[][3] = {
      // clang-format off
      // separators, continuation over lines, the rest of the line discarded, line ends
      {"1 2\n3 4\nNXT\n", "rrr", "1 2 3 | NXT"}, {"1\r\n2\r\nNO\r\n", "rr", "1 2 | NO "},
      {"\n\n \t5,6\t7 , 8\n9 junk / x\nNXT", "rriri", "5 6 7 8 9 | NXT"},
      {"1 2", "ii", "1 2 | EOF"}, {"1 2 " + text + "\nNXT", "ii", "1 2 | NXT"},
      {blanks + "2" + blanks + "/" + blanks + "\nNXT", "ii", "2 -1 | NXT"},
      // slash, null values, repeats
      {"1 / 2 3\nNXT\n", "rrr", "1 -1 -1 | NXT"}, {"200000000*1\n", "i", "1 | EOF"},
      {",2,,4, ,6,/\n", "rrrrrrr", "-1 2 -1 4 -1 6 -1 | EOF"},
      {"3*2.5 2* 9 2*,4 5*1\nNXT\n", "rrrrrrrrrii", "2.5 2.5 2.5 -1 -1 9 -1 -1 4 1 1 | NXT"},
      // number forms
      {"+7 -12 0042 2147483647 -2147483648\n", "iiiii", "7 -12 42 2147483647 -2147483648 | EOF"},
      {"1.5E3 1.5e3 1.5D3 1.5d3 1.5+3 -2.5-1 .5 7 1.E2 +3.\n", "rrrrrrrrrr",
       "1500 1500 1500 1500 1500 -0.25 0.5 7 100 3 | EOF"},
      {zeros + "7\n", "i", "7 | EOF"}, {"2." + zeros + "E7", "r", "2e+07 | EOF"},
      {"0." + zeros + "1e4194304 1" + zeros + "e-4194304\n", "rr", "0.1 1 | EOF"},
      // diagnostics, with the number of the item
      {"2.5\n", "i", bad_int(1)}, {"1 x\n", "ri", bad_int(2)}, {"1 1e3\n", "ii", bad_int(2)},
      {"2\0\n"s, "i", bad_int(1)}, {"2 \x1b\n", "ii", bad_int(2)}, {"2\f\n", "i", bad_int(1)},
      {"2\v\n", "i", bad_int(1)}, {"2\r3\n", "i", bad_int(1)}, {"1 1.2.3\n", "rr", bad_real(2)},
      {"2*1 x\n", "rrr", bad_real(3)}, {"1e\n", "r", bad_real(1)}, {"+\n", "r", bad_real(1)},
      {"Inf\n", "r", bad_real(1)}, {"NaN\n", "r", bad_real(1)}, {"2E7\0\n"s, "r", bad_real(1)},
      {"1 \x7f\n", "rr", bad_real(2)}, {"1 \xff\n", "rr", bad_real(2)},
      {"2147483648\n", "i", overflow(1)}, {"1 -2147483649\n", "ii", overflow(2)},
      {"1 99999999999999999999\n", "ii", overflow(2)}, {"1e309\n", "r", out_of_range(1)},
      {"1 -1D400\n", "rr", out_of_range(2)}, {"2*1 1" + zeros + "\n", "rrr", out_of_range(3)},
      {"1 0*5\n", "rr", zero_count(2)}, {"200000001*1\n", "r", big_count(1)},
      {"99999999999*1\n", "r", big_count(1)}, {"1\n", "rr", "End of file\n"},
      {"", "i", "End of file\n"},
      // clang-format on
  };
  for (const auto& row : table)
    EXPECT_EQ(row[2], list_read(row[0], row[1])) << row[0].substr(0, 40);
}

// Catches answers taken from more or less than the first three characters of one line, or a line
// end, a CR of a CR LF or a CR at the end of the input, taken for an answer's character.
TEST(ConsoleRead, Answers) {
  const std::string text(4 << 20, 'x');
  const std::string table[][3] = {
      // clang-format off
      {"YES\nNXT\n", "YES ", "NXT"}, {"yes\nNXT\n", "yes ", "NXT"}, {"Y\nNXT\n", "Y   ", "NXT"},
      {"YESTERDAY\nNXT\n", "YES ", "NXT"}, {"\nNXT\n", "    ", "NXT"}, {"NO", "NO  ", "EOF"},
      {"NO\r\nNXT\n", "NO  ", "NXT"}, {"NO\r", "NO  ", "EOF"}, {"N\tO\nNXT\n", "N\tO ", "NXT"},
      {"", "EOF", "EOF"}, {"NO" + text + "\nNXT", "NOx ", "NXT"}, {"\0YES\nNXT"s, "\0YE "s, "NXT"},
      {"NO\x1b\a\nNXT", "NO\x1b ", "NXT"},
      // clang-format on
  };
  for (auto& row : table) {
    std::string got[2];
    output(row[0], [&](Console& con) {
      char answer[4];
      got[0] = con.read_answer(answer) ? std::string(answer, 4) : "EOF";
      got[1] = con.read_answer(answer) ? std::string(answer, 3) : "EOF";
    });
    EXPECT_EQ(row[1], got[0]) << row[0].substr(0, 20);
    EXPECT_EQ(row[2], got[1]) << row[0].substr(0, 20);
  }
}

// Catches a prompt left in the buffer while the program waits for its answer: a console whose
// output is its input can read only what reached the stream before the read.
TEST(ConsoleRead, OutputReachesStreamBeforeRead) {
  std::stringstream io;
  std::ostringstream err;
  Console con(io, io, err);
  int n = 0;
  char answer[4];
  con.write("(' 7')");
  EXPECT_TRUE(con.read({n}));
  con.write("('YES')");
  EXPECT_TRUE(con.read_answer(answer));
  EXPECT_EQ("7 YES ", std::to_string(n) + " " + std::string(answer, 4));
  con.write("(' 8')");
  EXPECT_TRUE(con.read({n}));
  EXPECT_FALSE(con.read({n}));
  EXPECT_EQ("8 End of file\n", std::to_string(n) + " " + err.str());
}

}  // namespace
}  // namespace hs
