#include "lab/study_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "lab/message.h"
#include "lab/outcome.h"
#include "lab/result_json.h"
#include "lab/signals.h"
#include "study/block_play.h"

namespace {

// The largest study file there can be: its positions at most one range per
// two blocks of at most 16 characters, version-1 files up to the 64 MiB their
// program read, and a megabyte for the rest. Far below what reading /dev/zero
// or a wrong file could exhaust.
constexpr std::size_t kMaxFileBytes =
    std::max<std::size_t>(8 * StudyConfig::kMaxBlocks, std::size_t{64} << 20) + (1 << 20);

std::string cannotRead(const std::string& path, int error) {
  return path + ": cannot be read: " + std::strerror(error);
}

// A system call that waits returns early when a signal arrives; the signal
// then asked for a stop, which ends the read.
void onInterrupt() {
  if (stopRequests().load() != kRunOn) {
    throw Interrupted{};
  }
}

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { ::close(descriptor_); }
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

std::string readBounded(const std::string& path) {
  int opened = -1;
  while ((opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) < 0) {
    if (errno != EINTR) {
      throw BadInput{cannotRead(path, errno)};
    }
    onInterrupt();
  }
  const Descriptor file(opened);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    throw BadInput{cannotRead(path, errno)};
  }
  if (S_ISDIR(status.st_mode)) {
    throw BadInput{path + ": a folder, not a file"};
  }
  const std::string tooLarge =
      path + ": larger than any study file (" + std::to_string(kMaxFileBytes >> 20) + " MiB)";
  if (S_ISREG(status.st_mode) && static_cast<std::size_t>(status.st_size) > kMaxFileBytes) {
    throw BadInput{tooLarge};
  }
  std::string text;
  text.reserve(S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) : 0);
  std::array<char, 1 << 16> chunk{};
  while (true) {
    const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
    if (got < 0) {
      if (errno != EINTR) {
        throw BadInput{cannotRead(path, errno)};
      }
      onInterrupt();
      continue;
    }
    if (got == 0) {
      return text;
    }
    text.append(chunk.data(), static_cast<std::size_t>(got));
    if (text.size() > kMaxFileBytes) {
      throw BadInput{tooLarge};
    }
  }
}

OutputFile prepared(const std::string& path) {
  auto file = OutputFile::prepare(path);
  if (auto* error = std::get_if<std::string>(&file)) {
    throw BadInput{*error};
  }
  return std::get<OutputFile>(std::move(file));
}

}  // namespace

std::string readInputFile(const std::string& path) {
  return readBounded(path);
}

std::string readGameFile(const std::string& path) {
  constexpr std::size_t kMaxGameBytes = 4096;
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    throw BadInput{cannotRead(path, errno)};
  }
  if (!S_ISREG(status.st_mode) || static_cast<std::size_t>(status.st_size) > kMaxGameBytes) {
    throw BadInput{path + ": " + (S_ISREG(status.st_mode) ? "larger than" : "not") +
                   " a game file (a regular file of at most " + std::to_string(kMaxGameBytes) +
                   " bytes)"};
  }
  std::string text = readBounded(path);
  if (text.size() > kMaxGameBytes) {
    throw BadInput{path + ": larger than a game file (at most " + std::to_string(kMaxGameBytes) +
                   " bytes)"};
  }
  return text;
}

StudyResult readStudyFile(const std::string& path) {
  auto parsed = studyFromJson(readBounded(path));
  if (auto* error = std::get_if<std::string>(&parsed)) {
    throw BadInput{path + ": " + *error};
  }
  return std::get<StudyResult>(std::move(parsed));
}

Outputs prepareOutputs(const std::string& json, const std::string& csv,
                       const std::vector<std::string>& inputs, const std::string& writtenBack) {
  Outputs outputs;
  if (!json.empty()) {
    outputs.json = prepared(json);
  }
  if (!csv.empty()) {
    outputs.csv = prepared(csv);
  }
  if (outputs.json && outputs.csv && outputs.json->identity() == outputs.csv->identity()) {
    throw BadInput{"--json " + json + " and --csv " + csv + " are the same file"};
  }
  const auto back = identityOf(writtenBack);
  for (const std::string& input : inputs) {
    const auto identity = identityOf(input);
    if (!identity) {
      continue;  // the read will say why
    }
    for (const auto* output : {&outputs.json, &outputs.csv}) {
      if (*output && (*output)->identity() == *identity &&
          !(output == &outputs.json && back == identity)) {
        throw BadInput{(output == &outputs.json ? "--json " : "--csv ") + (*output)->path() +
                       " is the input " + input + ", which it would overwrite"};
      }
    }
  }
  return outputs;
}

std::optional<std::string> saveStudy(const std::string& text,
                                     const std::optional<OutputFile>& file) {
  if (file) {
    const auto error = file->commit(text);
    if (!error) {
      return file->path();
    }
    say(*error);
  }
  const std::string name = "truecount-lab-saved-" + std::to_string(::getpid()) + ".json";
  std::error_code ignored;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(ignored);
  for (const std::string& path : {name, (temporary / name).string()}) {
    const auto fallback = OutputFile::prepare(path);
    if (const auto* output = std::get_if<OutputFile>(&fallback);
        output != nullptr && !output->commit(text)) {
      return path;
    }
  }
  return std::nullopt;
}
