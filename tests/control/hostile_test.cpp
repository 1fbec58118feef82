// Whole runs on hostile standard input: every one must end in a defined way, with exit status 0
// after NO or 2 with a one-line diagnostic, and never print a value it did not compute.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "control/driver.hpp"

namespace hs {
namespace {

using namespace std::string_literals;

struct Result {
  int status;
  std::string out, err;
};

Result run_dialogue(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = run(in, out, err);
  return {status, out.str(), err.str()};
}

// The heading of the case-10 table (the case menu shows the same words in another column).
const std::string kSearchTable = std::string(20, ' ') + "AUTOMATIC SEARCH FOR FAILURE\r\n";

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Every read of the dialogue, each checked value first rejected once, two reads spread over two
// lines, and a failure search in the analysis.
const std::vector<std::string> kEveryRead = {"YES",
                                             "2 3",
                                             "9 10/",
                                             "9 1",
                                             "2 2",
                                             "20E6 1.4E6 0.7E6 0.3",
                                             "10E6 10E6 3.8E6 0.33",
                                             "200E3 180E3 8E3 30E3 12E3 60E3 60E3 60E3 60E3 35E3",
                                             "0 90",
                                             "0.005 0.005",
                                             "1 3",
                                             "1 2",
                                             "1000 0 0 0 500 0",
                                             "4",
                                             "0.25 4 0 360 0.05 2",
                                             "0.25 90 0 360 0.05 2",
                                             "6",
                                             "2",
                                             "NO"};

// Catches an end of input that is not reported, reported with the wrong status or message, or
// that prints anything the complete run would not have printed up to that read.
TEST(HostileInput, EndOfInputAtEveryRead) {
  std::string full;
  for (const std::string& line : kEveryRead) full += line + "\n";
  Result complete = run_dialogue(full);
  ASSERT_EQ(0, complete.status);
  EXPECT_EQ("", complete.err);
  EXPECT_EQ(1, count(complete.out, kSearchTable));
  EXPECT_EQ(0, run_dialogue(full.substr(0, full.size() - 1)).status);  // NO without a line end
  std::string input;
  for (const std::string& line : kEveryRead) {
    Result cut = run_dialogue(input);
    EXPECT_EQ(2, cut.status) << "input ends before: " << line;
    EXPECT_EQ("End of file\n", cut.err) << "input ends before: " << line;
    EXPECT_EQ(0u, complete.out.find(cut.out)) << "input ends before: " << line;
    input += line + "\n";
  }
}

// Catches a value that does not fit its item, or a byte that is not part of a number, being
// taken for some value instead of ending the run with its diagnostic.
TEST(HostileInput, UnreadableValuesEndTheRun) {
  const std::string materials = "NO\n2/\n1 1\n";
  const struct {
    std::string input, err;
  } table[] = {
      {"NO\n2147483648/\n", "Integer overflow while reading item 1\n"},
      {"NO\n2 -2147483649/\n", "Integer overflow while reading item 2\n"},
      {materials + "1E309 1 1 0.3\n", "Real number out of range in item 1 of list input\n"},
      {materials + "1 -1D400 1 0.3\n", "Real number out of range in item 2 of list input\n"},
      {materials + "2*1 1" + std::string(1000000, '0') + " 0.3\n",
       "Real number out of range in item 3 of list input\n"},
      {"NO\n0*2/\n", "Zero repeat count in item 1 of list input\n"},
      {"NO\n200000001*2/\n", "Repeat count overflow in item 1 of list input\n"},
      {"NO\n99999999999*2/\n", "Repeat count overflow in item 1 of list input\n"},
      {"NO\n2\0/\n"s, "Bad integer for item 1 in list input\n"},
      {"NO\n2 \x1b/\n", "Bad integer for item 2 in list input\n"},
      {"NO\n2\f/\n", "Bad integer for item 1 in list input\n"},
      {"NO\n2\v/\n", "Bad integer for item 1 in list input\n"},
      {"NO\n2\r3/\n", "Bad integer for item 1 in list input\n"},
      {materials + "2E7\0 1 1 0.3\n"s, "Bad real number in item 1 of list input\n"},
      {materials + "2E7 \x7f 1 0.3\n", "Bad real number in item 2 of list input\n"},
      {materials + "2E7 \xff 1 0.3\n", "Bad real number in item 2 of list input\n"},
  };
  for (const auto& row : table) {
    Result r = run_dialogue(row.input);
    EXPECT_EQ(2, r.status) << row.err;
    EXPECT_EQ(row.err, r.err);
  }
}

// Catches lines of megabytes (blanks, leading zeros, digits past the point, text after the last
// item, a long answer, control bytes in an answer) changing the values read or being refused.
TEST(HostileInput, MegabyteLinesAndOddBytesReadAsTyped) {
  const std::string big(8 << 20, ' '), zeros(4 << 20, '0'), text(4 << 20, 'x');
  auto dialogue = [](std::string answer, std::string list, std::string materials) {
    return answer + "\n" + list + "\n1 1\n" + materials + "\n0\n0.005\nNO\n";
  };
  const std::string e = " 1.4E6 0.7E6 0.3";
  Result plain = run_dialogue(dialogue("NO", "2/", "20E6" + e));
  ASSERT_EQ(0, plain.status);
  ASSERT_EQ(1, count(plain.out, " EX = 0.200E+08  EY = 0.140E+07"));
  const std::string inputs[] = {
      dialogue("NO", big + "2" + big + "/" + big, "20E6" + e),
      dialogue("NO", zeros + "2/", "20E6" + e),
      dialogue("NO", "2/" + text, "20E6" + e + " " + text),
      dialogue("NO", "2/", "2." + zeros + "E7" + e),
      dialogue("NO", "2/", "0.0000002" + zeros + "E14" + e),
      dialogue("NO" + text, "2/", "20E6" + e),
      dialogue("\0YES"s, "2/", "20E6" + e),
      dialogue("NO\x1b\a", "2/", "20E6" + e),
  };
  for (const std::string& input : inputs) {
    Result r = run_dialogue(input);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(plain.out, r.out);
  }
}

// Catches reads or writes outside the grid, ply or material arrays (the sanitizer build runs
// this), and undefined or overflowing values, on the largest grid with eight plies of three
// materials and every case: 7 steps by 73 stations, then the carpet plot with a failure search
// for each of its 66 layups.
TEST(HostileInput, MaximumGridEveryCase) {
  const std::string laminate =
      "8 3\n20E6 1.4E6 0.7E6 0.3 10E6 10E6 3.8E6 0.33 6E6 6E6 2.3E6 0.3\n"
      "200E3 180E3 8E3 30E3 12E3 60E3 60E3 60E3 60E3 35E3 40E3 40E3 40E3 40E3 25E3\n"
      "0 45 -45 90 90 -45 45 0\n8*0.01\n1 1 2 3 3 2 1 1\n"
      "3000 -1000 1500 20 5000 30\n2.5\n0.25 5 0 360 0.05 7\n";
  Result r = run_dialogue("NO\n2 3 4 5 6 7 8 9/\n" + laminate + "5\nYES\n" +
                          "NO\n1 2 3 4 5 6 7 8 9 10\n" + laminate + "3\nNO\n");
  ASSERT_EQ(0, r.status);
  EXPECT_EQ("", r.err);
  EXPECT_EQ(66, count(r.out, "LAYUP:"));
  EXPECT_EQ(66, count(r.out, kSearchTable));
  EXPECT_EQ(0, count(r.out, "STOPPED"));
  EXPECT_EQ(0, count(r.out, "NaN") + count(r.out, "Inf") + count(r.out, "*"));
  // The last station of the 7 x 73 grid: once in cases 3 and 4, once per ply in cases 7 and 8.
  EXPECT_EQ(18, count(r.out, "\r\n 0.300  360.00"));
}

}  // namespace
}  // namespace hs
