#pragma once

#include <optional>
#include <string>

#include "lab/output_file.h"
#include "study/study_figures.h"
#include "study/study_result.h"

// Reads and checks a study file; throws BadInput naming the file and what is
// wrong with it.
StudyResult readStudyFile(const std::string& path);

// Opens a result file for writing; throws BadInput when it cannot be made.
OutputFile openOutput(const std::string& path);

// Writes a result to its file; says why on standard error when it cannot.
bool writeResult(OutputFile& file, const std::string& text);

// Where an interrupted run without --json keeps its blocks: a file in the
// working folder, or else in the temporary folder.
std::optional<OutputFile> fallbackOutput();
