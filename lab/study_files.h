#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lab/output_file.h"
#include "study/study_result.h"

// Reads and checks a study file. The read is sized by the file and bounded by
// the largest study file there can be; a read that waits (a FIFO, a slow
// disk) ends when a signal asks the program to stop. Throws BadInput naming
// the file and what is wrong with it, or Interrupted.
StudyResult readStudyFile(const std::string& path);

// Reads any input file the same way, bounded by the same size: an index file.
std::string readInputFile(const std::string& path);

// Reads a game file: a regular file of a few kilobytes at most, as a game's
// dozen lines are, so that a wrong file or a FIFO is refused unread.
std::string readGameFile(const std::string& path);

// The result files of a command, checked before any work.
struct Outputs {
  std::optional<OutputFile> json;
  std::optional<OutputFile> csv;
};

// Prepares the outputs (empty paths for none): each must be able to take a
// result, the two must be different files, and neither may be one of
// `inputs`, except that the study may be written back to `writtenBack` (a
// resumed study's own file). Throws BadInput.
Outputs prepareOutputs(const std::string& json, const std::string& csv,
                       const std::vector<std::string>& inputs, const std::string& writtenBack);

// Writes a study to `file` or, when there is none or it cannot be written,
// to a new file in the working folder (else the temporary folder). Says on
// standard error why a write failed; gives the path the study went to, or
// none when no file could take it.
std::optional<std::string> saveStudy(const std::string& text,
                                     const std::optional<OutputFile>& file);
