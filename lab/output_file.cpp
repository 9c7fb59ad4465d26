#include "lab/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

std::string reason(const std::string& path, int error) {
  return "cannot write " + path + ": " + std::strerror(error);
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

}  // namespace

bool writeAll(int descriptor, const std::string& text) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = ::write(descriptor, rest.data(), rest.size());
    if (written < 0 && errno != EINTR) {
      return false;
    }
    // A signal only asks for a stop: the result is still written whole.
    rest.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(written, 0)));
  }
  return true;
}

namespace {

// A temporary file beside the target, named without the target's name so
// that any legal name leaves room for it; made readable as the umask says.
int makeTemporary(const std::string& folder, std::string& name) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name =
        folder + "/.truecount-lab-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) {
      return descriptor;
    }
  }
  return -1;
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return FileIdentity{status.st_dev, status.st_ino, {}};
}

std::variant<OutputFile, std::string> OutputFile::prepare(const std::string& path) {
  OutputFile file;
  file.path_ = path;
  file.target_ = path;
  struct stat status {};
  const bool exists = ::stat(path.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) {
    return reason(path, errno);
  }
  if (exists) {
    if (S_ISDIR(status.st_mode)) {
      return "cannot write " + path + ": it is a folder";
    }
    // A link is followed: its target gets the result, the link stays.
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    if (!resolved) {
      return reason(path, errno);
    }
    file.target_ = resolved.get();
    file.identity_ = FileIdentity{status.st_dev, status.st_ino, {}};
    if (!S_ISREG(status.st_mode)) {
      file.inPlace_ = true;
      return ::access(file.target_.c_str(), W_OK) == 0 ? std::variant<OutputFile, std::string>(file)
                                                       : reason(path, errno);
    }
    file.mode_ = status.st_mode & 07777;
  }
  const std::string folder = folderOf(file.target_);
  struct stat folderStatus {};
  if (nameOf(file.target_).size() > NAME_MAX) {
    return reason(path, ENAMETOOLONG);
  }
  if (::stat(folder.c_str(), &folderStatus) != 0) {
    return reason(path, errno);
  }
  if (!S_ISDIR(folderStatus.st_mode)) {
    return reason(path, ENOTDIR);
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return reason(path, errno);
  }
  if (!exists) {
    file.identity_ = FileIdentity{folderStatus.st_dev, folderStatus.st_ino, nameOf(file.target_)};
  }
  return file;
}

std::optional<std::string> OutputFile::commit(const std::string& text) const {
  if (inPlace_) {
    const int descriptor = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
      return reason(path_, errno);
    }
    const bool written = writeAll(descriptor, text);
    const int error = errno;
    const bool closed = ::close(descriptor) == 0;
    return written && closed ? std::nullopt : std::optional(reason(path_, written ? errno : error));
  }
  const std::string folder = folderOf(target_);
  std::string temporary;
  const int descriptor = makeTemporary(folder, temporary);
  if (descriptor < 0) {
    return reason(path_, errno);
  }
  bool done = writeAll(descriptor, text) && (!mode_ || ::fchmod(descriptor, *mode_) == 0) &&
              ::fsync(descriptor) == 0;
  int error = errno;
  if (::close(descriptor) != 0 && done) {
    done = false;
    error = errno;
  }
  if (done && std::rename(temporary.c_str(), target_.c_str()) != 0) {
    done = false;
    error = errno;
  }
  if (!done) {
    ::unlink(temporary.c_str());
    return reason(path_, error);
  }
  // The rename itself reaches the disk once the folder is flushed; a folder
  // that cannot be flushed (some file systems) still holds the result.
  const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderDescriptor >= 0) {
    ::fsync(folderDescriptor);
    ::close(folderDescriptor);
  }
  return std::nullopt;
}
