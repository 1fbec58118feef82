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

// Reads a whole file of at most max_bytes. False with the system's reason in error (a folder,
// a missing file, no permission) or when the file is larger; system_error, when given, receives
// the errno of the reason (EISDIR for a folder, EFBIG for a file too large).
bool read_file(const std::string& path, std::size_t max_bytes, std::string& text,
               std::string& error, int* system_error = nullptr);

}  // namespace hs
