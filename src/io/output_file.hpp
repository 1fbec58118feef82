// Writing a result file so that a reader never sees it half written, and every failure is said.
//
// The text goes to a temporary file beside the target (same folder, so the same file system),
// which is then renamed over the target: the target holds either its old content or the whole
// new text, even when two runs write it at once or the disk fills. On failure the temporary
// file is removed and error holds the system's reason.
#pragma once

#include <string>
#include <string_view>

namespace hs {

bool write_file_atomically(const std::string& path, std::string_view text, std::string& error);

// The same for a file written piece by piece, so that a large result never has to be held whole:
// open() creates the temporary file, write() appends to it, commit() renames it over the target.
// Destroyed uncommitted (a failure on the way, or an error found later), the temporary goes and
// the target keeps its old content. Each call returns false with the system's reason in error;
// after a failure every later call fails too.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  bool open(const std::string& path, std::string& error);
  bool write(std::string_view text, std::string& error);
  bool commit(std::string& error);

 private:
  bool fail(int system_error, std::string& error);
  std::string path_, temporary_, first_error_;
  int fd_ = -1;
};

// Reads a whole file of at most max_bytes. False with the system's reason in error (a folder,
// a missing file, no permission) or when the file is larger; system_error, when given, receives
// the errno of the reason (EISDIR for a folder, EFBIG for a file too large).
bool read_file(const std::string& path, std::size_t max_bytes, std::string& text,
               std::string& error, int* system_error = nullptr);

}  // namespace hs
