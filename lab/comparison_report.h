#pragma once

#include <ostream>
#include <string>

#include "lab/table_text.h"
#include "study/study_figures.h"
#include "study/study_result.h"

// The readable table of a comparison: the study's settings and what the
// variant changes; the answer (both sides' edges and ramps and the paired
// difference; with options.summaryOnly, nothing more); one row per count
// with both sides' rounds, means and errors and the difference with its
// paired error and interval, the rows of all rounds, the count-weighted
// series (where showsWeighted) and the ramps; then the difference of the
// flat-bet edge against the error two independent studies would have left,
// both sides' events and the pace on `threads` threads (0: of the runs that
// made a merged comparison).
void printComparisonReport(std::ostream& out, const StudyResult& comparison,
                           const StudyFigures& figures, int threads, const ReportOptions& options);

// One CSV row per count with rounds on either side: both sides and the
// difference, fields left empty where a side has no rounds.
std::string comparisonCsv(const StudyFigures& figures);
