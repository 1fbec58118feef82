// Whole runs on hostile standard input: every one must end in a defined way, with exit status 0
// after NO or 2 with a one-line diagnostic, and never print a value it did not compute. (The
// console's own tests cover unreadable values, control bytes and megabyte lines.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "dialogue/program.hpp"

namespace hs {
namespace {

struct Result {
  int status;
  std::string out, err;
};

Result whole_run(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = run_dialogue(in, out, err);
  return {status, out.str(), err.str()};
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The heading of the case-10 table (the case menu shows the same words in another column).
const std::string kSearchTable = std::string(20, ' ') + "AUTOMATIC SEARCH FOR FAILURE\r\n";

// Catches an end of input that is not reported, reported with the wrong status or message, or
// that prints anything the complete run would not have printed up to that read. The dialogue
// passes every read, rejects each checked value once, spreads two reads over two lines and runs
// a failure search.
TEST(HostileInput, EndOfInputAtEveryRead) {
  const std::string full =
      "YES\n2 3\n9 10/\n9 1\n2 2\n20E6 1.4E6 0.7E6 0.3\n10E6 10E6 3.8E6 0.33\n"
      "200E3 180E3 8E3 30E3 12E3 60E3 60E3 60E3 60E3 35E3\n0 90\n0.005 0.005\n1 3\n1 2\n"
      "1000 0 0 0 500 0\n4\n0.25 4 0 360 0.05 2\n0.25 90 0 360 0.05 2\n6\n2\nNO\n";
  Result complete = whole_run(full);
  ASSERT_EQ(0, complete.status);
  EXPECT_EQ("", complete.err);
  EXPECT_EQ(1, count(complete.out, kSearchTable));
  EXPECT_EQ(0, whole_run(full.substr(0, full.size() - 1)).status);  // NO without a line end
  for (size_t end = 0; end < full.size(); end = full.find('\n', end) + 1) {
    Result cut = whole_run(full.substr(0, end));
    EXPECT_EQ(2, cut.status) << "input ends after: " << full.substr(0, end);
    EXPECT_EQ("End of file\n", cut.err) << "input ends after: " << full.substr(0, end);
    EXPECT_EQ(0u, complete.out.find(cut.out)) << "input ends after: " << full.substr(0, end);
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
  Result r = whole_run("NO\n2 3 4 5 6 7 8 9/\n" + laminate + "5\nYES\n" +
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
