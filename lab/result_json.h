#pragma once

#include <string>
#include <variant>

#include "lab/trip_report.h"
#include "study/study_figures.h"
#include "study/study_result.h"

// The study file: the configuration, the blocks held, the exact tallies
// (decimal strings) and, for readers, every derived figure.
std::string studyToJson(const StudyResult& result, const StudyFigures& figures);

// A trip run's answer as JSON: its settings, plan, chance of ruin, result
// quantiles and the bankroll's quantiles hour by hour.
std::string tripToJson(const TripReport& report);

// Reads a study file back; the figures in it are ignored and derived anew.
// Gives the result, or what is wrong with the text.
std::variant<StudyResult, std::string> studyFromJson(const std::string& text);
