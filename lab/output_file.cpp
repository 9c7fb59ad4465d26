#include "lab/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

std::string reason(const std::string& path) {
  return "cannot write " + path + ": " + std::strerror(errno);
}

}  // namespace

std::optional<std::string> OutputFile::open(const std::string& path, OutputFile& file) {
  file.discard();
  std::string pattern = path + ".partial-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int descriptor = ::mkstemp(name.data());
  if (descriptor < 0) {
    return reason(path);
  }
  file.path_ = path;
  file.temporary_ = name.data();
  file.descriptor_ = descriptor;
  return std::nullopt;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      temporary_(std::exchange(other.temporary_, {})),
      descriptor_(std::exchange(other.descriptor_, -1)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    discard();
    path_ = std::move(other.path_);
    temporary_ = std::exchange(other.temporary_, {});
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

OutputFile::~OutputFile() {
  discard();
}

void OutputFile::discard() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    ::unlink(temporary_.c_str());
  }
  descriptor_ = -1;
  temporary_.clear();
}

std::optional<std::string> OutputFile::commit(const std::string& text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(descriptor_, data, left);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      const std::string error = reason(path_);
      discard();
      return error;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  // mkstemp creates the file readable by its owner only; a result is an
  // ordinary file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(descriptor_, 0666 & ~mask) != 0 || ::fsync(descriptor_) != 0 ||
      ::close(descriptor_) != 0) {
    descriptor_ = -1;
    const std::string error = reason(path_);
    ::unlink(temporary_.c_str());
    return error;
  }
  descriptor_ = -1;
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const std::string error = reason(path_);
    ::unlink(temporary_.c_str());
    return error;
  }
  temporary_.clear();
  return std::nullopt;
}
