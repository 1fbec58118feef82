#include "io/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace hs {

namespace {

std::string reason(int error) {
  return std::strerror(error);
}

}  // namespace

bool write_file_atomically(const std::string& path, std::string_view text, std::string& error) {
  // A name no other run picks: the process and a random number.
  std::random_device random;
  const std::string temporary =
      path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(random());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = "cannot write " + path + ": " + reason(errno);
    return false;
  }
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot write " + path + ": " + reason(n < 0 ? errno : ENOSPC);
      ::close(fd);
      ::unlink(temporary.c_str());
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    error = "cannot write " + path + ": " + reason(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + reason(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool read_file(const std::string& path, std::size_t max_bytes, std::string& text,
               std::string& error, int* system_error) {
  int unused;
  int& code = system_error ? *system_error : unused;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    code = errno;
    error = "cannot read " + path + ": " + reason(code);
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    code = EISDIR;
    error = "cannot read " + path + ": it is a folder, not a file";
    return false;
  }
  text.clear();
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      code = errno;
      error = "cannot read " + path + ": " + reason(code);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    if (text.size() + static_cast<std::size_t>(n) > max_bytes) {
      ::close(fd);
      code = EFBIG;
      error = "cannot read " + path + ": larger than " + std::to_string(max_bytes / (1024 * 1024)) +
              " MiB, not a job file";
      return false;
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace hs
