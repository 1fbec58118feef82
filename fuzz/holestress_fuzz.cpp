// libFuzzer target: the input bytes are the whole standard input of one run of the program.
//
// A run must end with status 0 (NO to the continue question) or 2 (unreadable input or end of
// input); anything else aborts, and so does every fault the sanitizers see. Standard output and
// standard error are discarded.
//
// Every analysis is bounded (a failure search gives up after a fixed number of iterations), but a
// dialogue may hold many passes, and a carpet plot whose 66 failure searches all run to that
// bound takes tens of seconds under the sanitizers. So that a slow but finite input is not taken
// for a hang, a run is cut off after kMaxAnalyses analyses (one whole carpet plot and a little
// more): a per-input time limit (libFuzzer's -timeout, set by run.sh) then means a real hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "control/driver.hpp"

namespace {

constexpr int kMaxAnalyses = 80;

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

struct Budget {};  // thrown to end a run that has used up its analyses

class Counter : public hs::AnalysisObserver {
 public:
  void pass_begun(const hs::State&, double, bool) override {}
  void analysed(const hs::State&, int, int, int, bool) override {
    if (++analyses_ >= kMaxAnalyses) throw Budget{};
  }

 private:
  int analyses_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  NullBuffer null;
  std::ostream out(&null);
  std::ostream err(&null);
  Counter counter;
  int status = 0;
  try {
    status = hs::run(in, out, err, &counter);
  } catch (const Budget&) {
    return 0;
  }
  if (status != 0 && status != 2) std::abort();
  return 0;
}
