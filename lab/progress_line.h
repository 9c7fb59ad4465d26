#pragma once

#include <chrono>
#include <cstdint>

// The progress of a run, redrawn on one line of a terminal's standard error:
// the share done, rounds per second and the time left.
class ProgressLine {
 public:
  // `shown` false draws nothing; the rounds are those of the study before
  // this run and those it is meant to hold in all.
  ProgressLine(bool shown, std::uint64_t roundsBefore, std::uint64_t roundsTotal);

  // Redraws the line with the rounds this run has finished.
  void update(std::uint64_t roundsDone);
  // Erases the line, if one was drawn.
  void clear() const;

 private:
  bool shown_;
  bool drawn_ = false;
  std::uint64_t before_;
  std::uint64_t total_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};
