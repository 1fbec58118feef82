// libFuzzer target for job files: the input bytes are the text of one job file.
//
// read_job must come back (true or false) for any bytes, without an exception escaping. When it
// accepts the file, the job is written and read again: the written file must be accepted and
// must write the same text (every number reads back to the same bits). Anything else aborts, and
// so does every fault the sanitizers see.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "job/job.hpp"
#include "job/job_reader.hpp"
#include "job/job_writer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  hs::Job job;
  std::vector<hs::JobError> errors;
  if (!hs::read_job(text, "fuzz.toml", job, errors)) {
    if (errors.empty()) {
      std::fputs("read_job refused the file without saying why\n", stderr);
      std::abort();
    }
    for (const hs::JobError& e : errors) (void)hs::to_string(e);
    return 0;
  }
  if (!errors.empty()) std::abort();
  const std::string written = hs::write_job(job);
  hs::Job back;
  if (!hs::read_job(written, "fuzz.toml", back, errors)) {
    std::fprintf(stderr, "the written job does not read back: %s\n%s\n",
                 hs::to_string(errors.front()).c_str(), written.c_str());
    std::abort();
  }
  const std::string again = hs::write_job(back);
  if (again != written) {
    std::fprintf(stderr, "the job changed on the way round:\n%s\n---\n%s\n", written.c_str(),
                 again.c_str());
    std::abort();
  }
  return 0;
}
