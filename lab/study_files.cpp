#include "lab/study_files.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "lab/outcome.h"
#include "lab/result_json.h"

StudyResult readStudyFile(const std::string& path) {
  // Far above any study file (121 counts of a few hundred bytes each), far
  // below what reading /dev/zero or a wrong file could exhaust.
  constexpr std::size_t kMaxFileBytes = 64 << 20;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw BadInput{path + ": cannot be read"};
  }
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    throw BadInput{path + ": cannot be read"};
  }
  if (static_cast<std::size_t>(in.gcount()) > kMaxFileBytes) {
    throw BadInput{path + ": larger than any study file (" + std::to_string(kMaxFileBytes >> 20) +
                   " MiB)"};
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  auto parsed = studyFromJson(text);
  if (auto* error = std::get_if<std::string>(&parsed)) {
    throw BadInput{path + ": " + *error};
  }
  return std::get<StudyResult>(std::move(parsed));
}

OutputFile openOutput(const std::string& path) {
  OutputFile file;
  if (auto error = OutputFile::open(path, file)) {
    throw BadInput{*error};
  }
  return file;
}

bool writeResult(OutputFile& file, const std::string& text) {
  if (auto error = file.commit(text)) {
    std::cerr << "truecount-lab: " << *error << "\n";
    return false;
  }
  return true;
}

std::optional<OutputFile> fallbackOutput() {
  const std::string name = "truecount-lab-interrupted-" + std::to_string(::getpid()) + ".json";
  std::error_code error;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
  for (const std::string& path : {name, (temporary / name).string()}) {
    OutputFile file;
    if (!OutputFile::open(path, file)) {
      return file;
    }
  }
  return std::nullopt;
}
