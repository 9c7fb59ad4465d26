#pragma once

#include <string>
#include <variant>

#include "study/study_figures.h"
#include "study/study_result.h"

// The study file: the configuration, the blocks held, the exact tallies
// (decimal strings) and, for readers, every derived figure.
std::string studyToJson(const StudyResult& result, const StudyFigures& figures);

// Reads a study file back; the figures in it are ignored and derived anew.
// Gives the result, or what is wrong with the text.
std::variant<StudyResult, std::string> studyFromJson(const std::string& text);
