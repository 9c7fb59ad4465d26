#include "lab/parallel_run.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "study/study_player.h"

namespace {

// The positions to play, taken one at a time by index: the workers share only
// the next index.
class Queue {
 public:
  explicit Queue(const BlockSet& positions) : ranges_(positions.ranges()) {
    std::uint64_t start = 0;
    for (const BlockSet::Range range : ranges_) {
      starts_.push_back(start);
      start += range.last - range.first + 1;
    }
    size_ = start;
  }

  // The next position, or none when every one has been taken.
  std::optional<std::uint64_t> take() {
    const std::uint64_t index = next_.fetch_add(1);
    if (index >= size_) {
      return std::nullopt;
    }
    const auto range = std::upper_bound(starts_.begin(), starts_.end(), index) - 1;
    return ranges_[static_cast<std::size_t>(range - starts_.begin())].first + (index - *range);
  }

 private:
  std::vector<BlockSet::Range> ranges_;
  std::vector<std::uint64_t> starts_;  // the index of each range's first position
  std::uint64_t size_ = 0;
  std::atomic<std::uint64_t> next_{0};
};

// What the workers share: the queue, the progress, and what they played,
// handed over as each ends.
struct SharedRun {
  SharedRun(const StudyResult& played, const std::atomic<int>& asked, const BlockSet& positions,
            DeviationTally* priced)
      : study(played), stop(asked), queue(positions), added(unplayed(played)), deviations(priced) {}

  const StudyResult& study;
  const std::atomic<int>& stop;
  Queue queue;
  std::atomic<std::uint64_t> roundsDone{0};
  // Set when a worker fails (memory runs out): the others stop, and the
  // failure is raised on the calling thread once all have ended.
  std::atomic<bool> failed{false};
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable workerEnded;
  int running = 0;
  // The tallies and events of the blocks handed over, without their block
  // sets, which are joined at a checkpoint and at the end.
  StudyResult added;
  std::vector<BlockSet> played;
  // Index generation's tallies, when the run prices deviations.
  DeviationTally* deviations;
  // A checkpoint raises `wanted`; each running worker then hands over what it
  // played at its next block's end and, like a worker that ends, counts
  // itself off `owing`. Workers read `wanted` without the lock between
  // blocks, and under it when they hand over.
  std::atomic<std::uint64_t> wanted{0};
  int owing = 0;
};

// Adds what a worker played to what the workers handed over and empties it.
// Called with the lock held.
void handOver(SharedRun& run, StudyResult& mine) {
  addTallies(run.added, mine);
  run.played.push_back(std::move(mine.blocks));
  mine = unplayed(run.study);
}

// Plays blocks into `mine`, a result of the blocks this worker played and has
// not handed over, and into `deviations` when the run prices them. `handed`
// is the last checkpoint this worker handed its blocks over for.
void play(SharedRun& run, StudyResult& mine, DeviationTally* deviations, std::uint64_t& handed) {
  StudyPlayer player(run.study, deviations);
  while (run.stop.load() == kRunOn && !run.failed.load()) {
    const auto position = run.queue.take();
    if (!position) {
      break;
    }
    const std::uint64_t block = run.study.blockAt(*position);
    if (!player.play(block, mine, run.stop)) {
      break;
    }
    // Each worker takes ascending positions, so its set only grows at the top.
    mine.blocks.append(*position);
    run.roundsDone += run.study.config.roundsInBlock(block);
    if (run.wanted.load() != handed) {
      const std::lock_guard lock(run.mutex);
      handOver(run, mine);
      handed = run.wanted.load();
      --run.owing;
    }
  }
}

void work(SharedRun& run) {
  StudyResult mine = unplayed(run.study);
  std::optional<DeviationTally> deviations;
  std::exception_ptr failure;
  std::uint64_t handed = 0;
  try {
    if (run.deviations != nullptr) {
      deviations.emplace();
    }
    play(run, mine, deviations ? &*deviations : nullptr, handed);
  } catch (...) {
    failure = std::current_exception();
    run.failed.store(true);
  }
  const std::lock_guard lock(run.mutex);
  if (failure) {
    run.failure = failure;
  }
  handOver(run, mine);
  if (deviations) {
    *run.deviations += *deviations;
  }
  if (handed != run.wanted.load()) {
    --run.owing;
  }
  --run.running;
  run.workerEnded.notify_all();
}

// The union of disjoint sets, joined in pairs: each level is linear in the
// blocks, and there are log2(sets) levels.
BlockSet unionOf(std::vector<BlockSet> sets) {
  while (sets.size() > 1) {
    std::vector<BlockSet> next;
    for (std::size_t i = 0; i + 1 < sets.size(); i += 2) {
      next.push_back(sets[i].joined(sets[i + 1]));
    }
    if (sets.size() % 2 == 1) {
      next.push_back(std::move(sets.back()));
    }
    sets = std::move(next);
  }
  return sets.empty() ? BlockSet{} : std::move(sets.front());
}

// `result` with every block handed over, `seconds` into the run. Called with
// the lock held; the sets handed over are joined so that they stay few.
StudyResult partialStudy(SharedRun& run, const StudyResult& result, double seconds) {
  BlockSet handed = unionOf(std::move(run.played));
  StudyResult partial = result;
  partial.blocks = result.blocks.joined(handed);
  addTallies(partial, run.added);
  partial.seconds += seconds;
  run.played = {std::move(handed)};
  return partial;
}

}  // namespace

void playBlocks(StudyResult& result, const BlockSet& positions, int threads,
                const std::atomic<int>& stop,
                const std::function<void(std::uint64_t roundsDone)>& watch,
                DeviationTally* deviations, const Checkpoints* checkpoints) {
  using Clock = std::chrono::steady_clock;
  SharedRun run(result, stop, positions, deviations);
  const auto started = Clock::now();
  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(threads));
  for (int i = 0; i < threads; ++i) {
    // A system that refuses more threads gets the work done by those it gave.
    const std::lock_guard lock(run.mutex);
    try {
      workers.emplace_back(work, std::ref(run));
      ++run.running;
    } catch (const std::system_error&) {
      if (workers.empty()) {
        throw;
      }
      break;
    }
  }
  {
    // A checkpoint is asked for when due and taken once every worker has
    // handed over; the next is due a full interval after it is taken.
    Clock::time_point due =
        started + (checkpoints != nullptr ? checkpoints->every : Clock::duration{});
    bool asked = false;
    std::unique_lock lock(run.mutex);
    while (!run.workerEnded.wait_for(lock, std::chrono::milliseconds(250),
                                     [&] { return run.running == 0; })) {
      std::optional<StudyResult> partial;
      if (checkpoints != nullptr && !run.failure) {
        if (!asked && Clock::now() >= due) {
          ++run.wanted;
          run.owing = run.running;
          asked = true;
        }
        if (asked && run.owing == 0) {
          const std::chrono::duration<double> elapsed = Clock::now() - started;
          partial = partialStudy(run, result, elapsed.count());
          asked = false;
          due = Clock::now() + checkpoints->every;
        }
      }
      lock.unlock();
      watch(run.roundsDone.load());
      if (partial) {
        checkpoints->save(*partial);
      }
      lock.lock();
    }
  }
  for (std::thread& worker : workers) {
    worker.join();
  }
  if (run.failure) {
    std::rethrow_exception(run.failure);
  }
  run.played.push_back(std::move(result.blocks));
  result.blocks = unionOf(std::move(run.played));
  addTallies(result, run.added);
  const std::chrono::duration<double> elapsed = Clock::now() - started;
  result.seconds += elapsed.count();
}
