#include "lab/lab_app.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

#include "lab/command_line.h"
#include "lab/commands.h"
#include "lab/message.h"
#include "lab/signals.h"

namespace {

int exitStatus(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
      return 0;
    case Outcome::WriteFailed:
      return 1;
    case Outcome::BadInput:
      return 2;
    case Outcome::Interrupted:
      return 130;
  }
  return 1;
}

// Descriptors 0 to 2 closed at start would be taken by the first files the
// program opens, and its messages would land in its results: each is opened
// on /dev/null instead.
void keepStandardDescriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
      ::open("/dev/null", O_RDWR);
    }
  }
}

Outcome perform(int argc, char** argv) {
  const auto request = readCommandLine(argc, argv);
  if (const auto* run = std::get_if<RunRequest>(&request)) {
    return runStudy(*run);
  }
  if (const auto* merge = std::get_if<MergeRequest>(&request)) {
    return mergeStudies(*merge);
  }
  if (const auto* indices = std::get_if<IndicesRequest>(&request)) {
    return generateIndices(*indices);
  }
  if (const auto* chart = std::get_if<ChartRequest>(&request)) {
    return printChart(*chart);
  }
  if (const auto* edge = std::get_if<EdgeRequest>(&request)) {
    return computeEdge(*edge);
  }
  if (const auto* ramp = std::get_if<RampRequest>(&request)) {
    return findRamp(*ramp);
  }
  if (const auto* trip = std::get_if<TripRequest>(&request)) {
    return playTrips(*trip);
  }
  return std::get<Outcome>(request);
}

}  // namespace

int runLab(int argc, char** argv) {
  keepStandardDescriptors();
  installStopHandlers();
  try {
    return exitStatus(perform(argc, argv));
  } catch (const BadInput& bad) {
    say(bad.message);
    return exitStatus(Outcome::BadInput);
  } catch (const Interrupted&) {
    say("interrupted; nothing written");
    return exitStatus(Outcome::Interrupted);
  } catch (const std::exception& error) {
    say(std::string("stopped by an error: ") + error.what());
  } catch (...) {
    say("stopped by an unknown error");
  }
  return exitStatus(Outcome::WriteFailed);
}
