#include "lab/lab_app.h"

#include <iostream>

#include "lab/command_line.h"
#include "lab/commands.h"
#include "lab/signals.h"
#include "study/text_values.h"

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

Outcome perform(int argc, char** argv) {
  const auto request = readCommandLine(argc, argv);
  if (const auto* run = std::get_if<RunRequest>(&request)) {
    return runStudy(*run);
  }
  if (const auto* merge = std::get_if<MergeRequest>(&request)) {
    return mergeStudies(*merge);
  }
  return std::get<Outcome>(request);
}

}  // namespace

int runLab(int argc, char** argv) {
  installStopHandlers();
  try {
    return exitStatus(perform(argc, argv));
  } catch (const BadInput& bad) {
    std::cerr << "truecount-lab: " << printable(bad.message) << "\n";
    return exitStatus(Outcome::BadInput);
  }
}
