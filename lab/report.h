#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "lab/command_line.h"
#include "lab/table_text.h"
#include "strategy/deviation_tally.h"
#include "study/study_figures.h"
#include "study/study_result.h"

// The readable table on standard output: the study's settings, the answer
// first (the edge in per cent and, with a ramp, its win, risk and scores),
// then one row per count, the overall edge, truecount's count-weighted
// summary where showsWeighted, the ramp's figures when the study has a ramp,
// and the pace of the run on `threads` threads (0: of the runs that made a
// merged study). With options.summaryOnly, the settings and the answer alone.
void printStudyReport(std::ostream& out, const StudyResult& result, const StudyFigures& figures,
                      int threads, const ReportOptions& options);

// One CSV row per count with rounds, under a header line.
std::string studyCsv(const StudyFigures& figures);

// The generated indices of an index study, one row each: the hand, up card,
// basic strategy's action, the deviation, the index with its 95% interval,
// the decisions priced, and the direction.
void printIndexReport(std::ostream& out, const StudyResult& study,
                      const std::vector<GeneratedIndex>& indices, int threads);
// The same rows as CSV, which --indices reads:
// hand,up_card,basic,deviation,index,ci95_low,ci95_high,decisions,direction
std::string indexCsv(const std::vector<GeneratedIndex>& indices);

// What `ramp` prints: the growth-optimal ramp as a --ramp option on the first
// line, the stake at each count with rounds and the ramp's figures.
void printKellyRamp(std::ostream& out, const StudyResult& study, const RampRequest& request,
                    const Ramp& ramp);
