#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <variant>

// Which file a path names: two paths name the same file when these agree,
// however they are spelled (./x, a symbolic link, a hard link).
struct FileIdentity {
  dev_t device;
  ino_t inode;
  // For a file yet to be made: its name in the folder the two numbers name.
  std::string name;
  bool operator==(const FileIdentity&) const = default;
};

// Writes all of `text` to a file descriptor, resuming after signals; false
// with errno set when the system refuses.
bool writeAll(int descriptor, const std::string& text);

// The identity of an existing file; none when it cannot be looked at.
std::optional<FileIdentity> identityOf(const std::string& path);

// A result file, written whole or not at all. Checked when prepared, before
// any work: a folder, a missing or unwritable folder or a name too long is
// refused then. Nothing is made on disk until the result is committed.
class OutputFile {
 public:
  // The file at `path`, or why it cannot take a result.
  static std::variant<OutputFile, std::string> prepare(const std::string& path);

  const std::string& path() const { return path_; }
  const FileIdentity& identity() const { return identity_; }
  // Whether a commit replaces the file whole, as it does a regular file.
  bool replacedWhole() const { return !inPlace_; }

  // Writes `text`. A regular file (or a new one) gets it through a temporary
  // file beside it, flushed to disk and renamed over it, keeping the mode the
  // file had; the folder is then flushed too. Anything else (a device, a
  // FIFO) is written in place, never replaced. Gives the reason on failure,
  // leaving no temporary file.
  std::optional<std::string> commit(const std::string& text) const;

 private:
  std::string path_;    // as given, for messages
  std::string target_;  // the file written: the path with its links resolved
  FileIdentity identity_;
  bool inPlace_ = false;
  std::optional<mode_t> mode_;  // that of an existing regular file
};
