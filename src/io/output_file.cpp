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

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
  }
}

bool AtomicFile::fail(int system_error, std::string& error) {
  // The first failure is the one to tell; later calls repeat it.
  if (first_error_.empty()) first_error_ = "cannot write " + path_ + ": " + reason(system_error);
  error = first_error_;
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
    fd_ = -1;
  }
  return false;
}

bool AtomicFile::open(const std::string& path, std::string& error) {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
  }
  path_ = path;
  first_error_.clear();
  // A name no other run picks: the process and a random number.
  std::random_device random;
  temporary_ = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(random());
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ < 0) return fail(errno, error);
  return true;
}

bool AtomicFile::write(std::string_view text, std::string& error) {
  if (fd_ < 0) return fail(EBADF, error);
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : ENOSPC, error);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFile::commit(std::string& error) {
  if (fd_ < 0) return fail(EBADF, error);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int e = errno;
    ::unlink(temporary_.c_str());
    return fail(e, error);
  }
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int e = errno;
    ::unlink(temporary_.c_str());
    return fail(e, error);
  }
  return true;
}

bool write_file_atomically(const std::string& path, std::string_view text, std::string& error) {
  AtomicFile file;
  return file.open(path, error) && file.write(text, error) && file.commit(error);
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
