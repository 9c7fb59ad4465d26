#include "lab/commands.h"

#include <unistd.h>

#include <iostream>

#include "lab/parallel_run.h"
#include "lab/progress_line.h"
#include "lab/report.h"
#include "lab/result_json.h"
#include "lab/signals.h"
#include "lab/study_files.h"
#include "study/settings.h"

namespace {

std::string sameFileProblem(const std::string& csv, const std::string& json) {
  return "--csv " + csv + " is also the study file " + json + "; give them different names";
}

Outcome finish(const StudyResult& study, std::optional<OutputFile>& json,
               std::optional<OutputFile>& csv, int threads) {
  const StudyFigures figures = figuresOf(study);
  bool written = true;
  if (json) {
    written = writeResult(*json, studyToJson(study, figures)) && written;
  }
  if (csv) {
    written = writeResult(*csv, studyCsv(study, figures)) && written;
  }
  printStudyReport(std::cout, study, figures, threads);
  std::cout << std::flush;
  return written ? Outcome::Done : Outcome::WriteFailed;
}

Outcome saveInterrupted(const StudyResult& study, std::optional<OutputFile>& json,
                        const RunRequest& request) {
  if (!json) {
    json = fallbackOutput();
    if (!json) {
      std::cerr << "truecount-lab: interrupted, and no file could be made to keep the "
                << study.blocks.size() << " blocks played; run with --json FILE\n";
      return Outcome::WriteFailed;
    }
  }
  const std::string path = json->path();
  if (!writeResult(*json, studyToJson(study, figuresOf(study)))) {
    return Outcome::WriteFailed;
  }
  std::cerr << "truecount-lab: interrupted; " << study.blocks.size() << " of "
            << study.target().size() << " blocks written to " << path
            << "; continue with: truecount-lab run --resume " << path << " --threads "
            << request.threads << (request.csv.empty() ? "" : " --csv " + request.csv) << "\n";
  return Outcome::Interrupted;
}

}  // namespace

Outcome runStudy(const RunRequest& request) {
  StudyResult study;
  if (request.resume.empty()) {
    study.config = request.config;
    study.shard = request.shard;
  } else {
    study = readStudyFile(request.resume);
  }
  const std::string jsonPath = !request.json.empty() ? request.json : request.resume;
  if (!request.csv.empty() && request.csv == jsonPath) {
    throw BadInput{sameFileProblem(request.csv, jsonPath)};
  }
  std::optional<OutputFile> json;
  std::optional<OutputFile> csv;
  if (!jsonPath.empty()) {
    json = openOutput(jsonPath);
  }
  if (!request.csv.empty()) {
    csv = openOutput(request.csv);
  }
  const std::vector<std::uint64_t> blocks = study.target().missingFrom(study.blocks);
  ProgressLine progress(!request.quiet && ::isatty(STDERR_FILENO) == 1, study.roundsPlayed(),
                        study.targetRounds());
  playBlocks(study, blocks, request.threads, stopRequested(),
             [&progress](std::uint64_t done) { progress.update(done); });
  progress.clear();
  if (!study.complete()) {
    return saveInterrupted(study, json, request);
  }
  return finish(study, json, csv, request.threads);
}

Outcome mergeStudies(const MergeRequest& request) {
  if (!request.csv.empty() && request.csv == request.json) {
    throw BadInput{sameFileProblem(request.csv, request.json)};
  }
  std::vector<StudyResult> studies;
  for (const std::string& file : request.files) {
    studies.push_back(readStudyFile(file));
  }
  StudyResult merged = studies.front();
  for (std::size_t i = 1; i < studies.size(); ++i) {
    if (auto error = mergeInto(merged, studies[i])) {
      // Name the file it conflicts with: the first one for other settings (all
      // merged so far share its settings), else the first that shares blocks.
      std::size_t other = 0;
      while (other < i && !studies[other].blocks.overlaps(studies[i].blocks)) {
        ++other;
      }
      other = other < i && !firstDifference(merged.config, studies[i].config) ? other : 0;
      throw BadInput{request.files[i] + " cannot be merged with " + request.files[other] + ": " +
                     *error};
    }
  }
  std::optional<OutputFile> json;
  std::optional<OutputFile> csv;
  if (!request.json.empty()) {
    json = openOutput(request.json);
  }
  if (!request.csv.empty()) {
    csv = openOutput(request.csv);
  }
  if (!merged.complete()) {
    std::cerr << "truecount-lab: note: the merged study holds " << merged.blocks.size() << " of "
              << merged.target().size() << " blocks; run --resume on its file to complete it\n";
  }
  return finish(merged, json, csv, 0);
}
