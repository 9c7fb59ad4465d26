#pragma once

#include "lab/command_line.h"
#include "lab/outcome.h"

// `run` and `compare`: plays the study's (or comparison's) missing blocks,
// prints its table and writes its files. Throws BadInput for input refused
// before any work.
Outcome runStudy(const RunRequest& request);

// `merge`: unites the files' studies, prints the table and writes the result.
Outcome mergeStudies(const MergeRequest& request);

// `indices`: plays a basic-strategy study pricing every decision, prints the
// indices found and writes their CSV. Interrupted, it reports the blocks it
// finished and says so.
Outcome generateIndices(const IndicesRequest& request);

// `strategy`: prints the game's basic-strategy chart and writes its CSV.
Outcome printChart(const ChartRequest& request);

// `edge`: prints the exact value of a round off the top and writes its files.
Outcome computeEdge(const EdgeRequest& request);

// `trip`: plays the trips on every worker, prints the chance of ruin, the
// trip's result and the bankroll hour by hour, and writes their files.
// Interrupted, it reports the trips it finished and says so.
Outcome playTrips(const TripRequest& request);

// `ramp`: prints the growth-optimal ramp of the file's study with its figures.
Outcome findRamp(const RampRequest& request);
