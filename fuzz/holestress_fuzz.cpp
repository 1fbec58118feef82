// libFuzzer target: the input bytes are the whole standard input of one run of the program.
//
// A run must end with status 0 (NO to the continue question) or 2 (unreadable input or end of
// input); anything else aborts, and so does every fault the sanitizers see. Standard output and
// standard error are discarded.
//
// Every analysis is bounded (a failure search gives up after a fixed number of iterations), but a
// dialogue may hold many passes, and one carpet plot whose 66 failure searches all run to that
// bound takes over a minute under the sanitizers. So that a slow but finite input is not taken
// for a hang, a run is cut off at the end of the first analysis that finds it has used more than
// kCpuSeconds of processor time (processor time, not wall time, so that a busy machine does not
// change which inputs are cut off): libFuzzer's per-input time limit (-timeout, set by run.sh)
// then means a real hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "dialogue/program.hpp"

namespace {

constexpr double kCpuSeconds = 20.0;

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

struct Budget {};  // thrown to end a run that has used up its processor time

class Stopwatch : public hs::DialogueWatcher {
 public:
  void analysed(const hs::Problem&, const hs::Workspace&, const hs::Shares&,
                hs::SearchOutcome) override {
    if (std::clock() - start_ > kCpuSeconds * CLOCKS_PER_SEC) throw Budget{};
  }

 private:
  std::clock_t start_ = std::clock();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  NullBuffer null;
  std::ostream out(&null);
  std::ostream err(&null);
  Stopwatch stopwatch;
  int status = 0;
  try {
    status = hs::run_dialogue(in, out, err, &stopwatch);
  } catch (const Budget&) {
    return 0;
  }
  if (status != 0 && status != 2) std::abort();
  return 0;
}
