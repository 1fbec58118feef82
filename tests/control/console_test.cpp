#include "control/console.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace hs {
namespace {

struct Write {
  const char* format;
  std::vector<Value> values;
  const char* expected;
};

// Catches misreading of the format items: apostrophes, skips, slashes, repeats, the end of the
// write at a data descriptor without a value, reversion with values left, and the CR LF ends.
TEST(ConsoleWrite, FormatItems) {
  const Write table[] = {
      // clang-format off
      {"('IT''S ''A''')", {}, "IT'S 'A'\r\n"},  {"(' A',3X,'B')", {}, " A   B\r\n"},
      {"(' A',3X)", {}, " A\r\n"},               {"(/' A')", {}, "\r\n A\r\n"},
      {"(//' A')", {}, "\r\n\r\n A\r\n"},       {"(///' A')", {}, "\r\n\r\n\r\n A\r\n"},
      {"(' A'//' B'/,' C')", {}, " A\r\n\r\n B\r\n C\r\n"},  {"(' A'/)", {}, " A\r\n\r\n"},
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
  for (const Write& w : table) {
    std::istringstream in;
    std::ostringstream out, err;
    {
      Console con(in, out, err);
      con.write(w.format, w.values.data(), static_cast<int>(w.values.size()));
    }
    EXPECT_EQ(w.expected, out.str()) << w.format;
  }
}

// List-reads items of the given kinds (i integer, r real; each starts at -1) from the input and
// describes the outcome: the values (shortest exact form) and, after " | ", the first three
// characters of the next line, or "EOF"; for a failed read, the diagnostic line.
std::string list_read(const std::string& input, const std::string& kinds) {
  std::istringstream in(input);
  std::ostringstream out, err;
  Console con(in, out, err);
  std::vector<int> ints(kinds.size(), -1);
  std::vector<double> reals(kinds.size(), -1.0);
  std::vector<Item> items;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (kinds[k] == 'i') items.emplace_back(ints[k]);
    if (kinds[k] == 'r') items.emplace_back(reals[k]);
  }
  if (!con.read(items.data(), static_cast<int>(items.size()))) return err.str();
  std::string text;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    char buf[32];
    char* end = kinds[k] == 'i' ? std::to_chars(buf, buf + 32, ints[k]).ptr
                                : std::to_chars(buf, buf + 32, reals[k]).ptr;
    text += std::string(buf, end) + " ";
  }
  char answer[4];
  return text + "| " + (con.read_answer(answer) ? std::string(answer, 3) : "EOF");
}

// Catches every departure from the list-read rules and every diagnostic, with its item number.
TEST(ConsoleRead, ListRules) {
  // 100000 zeros ahead of the digits that count
  const std::string zeros(100000, '0');
  const std::string table[][3] = {
      // clang-format off
      // separators, continuation over lines, the rest of the line discarded, line ends
      {"1 2\n3 4\nNXT\n", "rrr", "1 2 3 | NXT"}, {"1\r\n2\r\nNO\r\n", "rr", "1 2 | NO "},
      {"\n\n \t5,6\t7 , 8\n9 junk / x\nNXT", "rriri", "5 6 7 8 9 | NXT"},
      {"1 2", "ii", "1 2 | EOF"},
      // slash, null values, repeats
      {"1 / 2 3\nNXT\n", "rrr", "1 -1 -1 | NXT"}, {"200000000*1\n", "i", "1 | EOF"},
      {",2,,4, ,6,/\n", "rrrrrrr", "-1 2 -1 4 -1 6 -1 | EOF"},
      {"3*2.5 2* 9 2*,4 5*1\nNXT\n", "rrrrrrrrrii", "2.5 2.5 2.5 -1 -1 9 -1 -1 4 1 1 | NXT"},
      // number forms
      {"+7 -12 0042 2147483647 -2147483648\n", "iiiii", "7 -12 42 2147483647 -2147483648 | EOF"},
      {"1.5E3 1.5e3 1.5D3 1.5d3 1.5+3 -2.5-1 .5 7 1.E2 +3.\n", "rrrrrrrrrr",
       "1500 1500 1500 1500 1500 -0.25 0.5 7 100 3 | EOF"},
      {zeros + "7\n", "i", "7 | EOF"},
      {"0." + zeros + "1e100000 1" + zeros + "e-100000\n", "rr", "0.1 1 | EOF"},
      // diagnostics
      {"2.5\n", "i", "Bad integer for item 1 in list input\n"},
      {"1 x\n", "ri", "Bad integer for item 2 in list input\n"},
      {"1 1e3\n", "ii", "Bad integer for item 2 in list input\n"},
      {"1 1.2.3\n", "rr", "Bad real number in item 2 of list input\n"},
      {"2*1 x\n", "rrr", "Bad real number in item 3 of list input\n"},
      {"1e\n", "r", "Bad real number in item 1 of list input\n"},
      {"+\n", "r", "Bad real number in item 1 of list input\n"},
      {"Inf\n", "r", "Bad real number in item 1 of list input\n"},
      {"NaN\n", "r", "Bad real number in item 1 of list input\n"},
      {"2147483648\n", "i", "Integer overflow while reading item 1\n"},
      {"1 99999999999999999999\n", "ii", "Integer overflow while reading item 2\n"},
      {"1e309\n", "r", "Real number out of range in item 1 of list input\n"},
      {"1 0*5\n", "rr", "Zero repeat count in item 2 of list input\n"},
      {"200000001*1\n", "r", "Repeat count overflow in item 1 of list input\n"},
      {"1\n", "rr", "End of file\n"}, {"", "i", "End of file\n"},
      // clang-format on
  };
  for (const auto& row : table) EXPECT_EQ(row[2], list_read(row[0], row[1])) << row[0];
}

// Catches answers taken from more or less than the first three characters of one line.
TEST(ConsoleRead, Answers) {
  const char* table[][3] = {
      // clang-format off
      {"YES\nNXT\n", "YES ", "NXT"}, {"yes\nNXT\n", "yes ", "NXT"}, {"Y\nNXT\n", "Y   ", "NXT"},
      {"YESTERDAY\nNXT\n", "YES ", "NXT"}, {"\nNXT\n", "    ", "NXT"}, {"NO", "NO  ", "EOF"},
      {"NO\r\nNXT\n", "NO  ", "NXT"}, {"N\tO\nNXT\n", "N\tO ", "NXT"}, {"", "EOF", "EOF"},
      // clang-format on
  };
  for (auto& row : table) {
    std::istringstream in(row[0]);
    std::ostringstream out, err;
    Console con(in, out, err);
    char answer[4];
    EXPECT_EQ(row[1], con.read_answer(answer) ? std::string(answer, 4) : "EOF") << row[0];
    EXPECT_EQ(row[2], con.read_answer(answer) ? std::string(answer, 3) : "EOF") << row[0];
  }
}

// An input that notes what the output held each time it had to supply a new line.
class Watcher : public std::streambuf {
 public:
  Watcher(const std::ostringstream& out, std::vector<std::string> lines)
      : out_(out), lines_(std::move(lines)) {}
  std::vector<std::string> seen;

 private:
  int underflow() override {
    if (seen.size() == lines_.size()) return traits_type::eof();
    seen.push_back(out_.str());
    std::string& line = lines_[seen.size() - 1];
    setg(line.data(), line.data(), line.data() + line.size());
    return traits_type::to_int_type(line[0]);
  }
  const std::ostringstream& out_;
  std::vector<std::string> lines_;
};

// Catches a prompt left in the buffer while the program waits for its answer.
TEST(ConsoleRead, OutputReachesStreamBeforeRead) {
  std::ostringstream out, err;
  Watcher input(out, {"5\n", "YES\n"});
  std::istream in(&input);
  Console con(in, out, err);
  int n = 0;
  char answer[4];
  con.write("(' FIRST')");
  ASSERT_TRUE(con.read({n}));
  con.write("(' SECOND',I2)", {n});
  ASSERT_TRUE(con.read_answer(answer));
  con.write("(' THIRD')");
  EXPECT_FALSE(con.read({n}));
  const std::vector<std::string> expected = {" FIRST\r\n", " FIRST\r\n SECOND 5\r\n"};
  EXPECT_EQ(expected, input.seen);
  EXPECT_EQ(" FIRST\r\n SECOND 5\r\n THIRD\r\n", out.str());
  EXPECT_EQ("End of file\n", err.str());
}

}  // namespace
}  // namespace hs
