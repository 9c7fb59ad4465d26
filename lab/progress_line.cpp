#include "lab/progress_line.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

std::string minutesAndSeconds(double seconds) {
  const long long whole = std::llround(seconds);
  return std::to_string(whole / 60) + (whole % 60 < 10 ? ":0" : ":") + std::to_string(whole % 60);
}

}  // namespace

ProgressLine::ProgressLine(bool shown, std::uint64_t roundsBefore, std::uint64_t roundsTotal)
    : shown_(shown), before_(roundsBefore), total_(roundsTotal) {}

void ProgressLine::update(std::uint64_t roundsDone) {
  if (!shown_ || total_ == 0) {
    return;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started_;
  const double rate = elapsed.count() > 0 ? static_cast<double>(roundsDone) / elapsed.count() : 0;
  const double share = static_cast<double>(before_ + roundsDone) / static_cast<double>(total_);
  const std::uint64_t left = total_ - before_ - roundsDone;
  std::array<char, 160> line{};
  std::snprintf(line.data(), line.size(), "\r%5.1f%% done, %.0f rounds per second, %s left ",
                100.0 * share, rate,
                rate > 0 ? minutesAndSeconds(static_cast<double>(left) / rate).c_str() : "?:??");
  std::cerr << line.data() << std::flush;
  drawn_ = true;
}

void ProgressLine::clear() const {
  if (drawn_) {
    std::cerr << "\r\033[K" << std::flush;
  }
}
