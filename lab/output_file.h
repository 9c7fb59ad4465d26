#pragma once

#include <optional>
#include <string>

// A result file written whole or not at all: the text goes to a temporary
// file beside the target, which is renamed over it once complete. Opened
// before a run starts, so an unwritable path is refused before any work.
class OutputFile {
 public:
  // Creates the temporary file; gives the reason when it cannot.
  static std::optional<std::string> open(const std::string& path, OutputFile& file);

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  // Removes the temporary file unless it was committed.
  ~OutputFile();

  // Writes `text`, flushes it to disk and renames it over the target.
  std::optional<std::string> commit(const std::string& text);
  const std::string& path() const { return path_; }

 private:
  void discard();

  std::string path_;
  std::string temporary_;
  int descriptor_ = -1;
};
