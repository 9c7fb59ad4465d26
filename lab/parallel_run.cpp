#include "lab/parallel_run.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "study/block_play.h"

namespace {

// What the workers share: the next block to take, the progress, and the
// result their finished blocks are folded into when they end.
struct SharedRun {
  const std::vector<std::uint64_t>& blocks;
  const std::atomic<bool>& stop;
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> roundsDone{0};
  std::mutex mutex;
  std::condition_variable workerEnded;
  int running = 0;
  StudyResult& result;
};

void work(SharedRun& run) {
  const StudyConfig& config = run.result.config;
  BlockPlayer player(config);
  StudyTally tally;
  EventCounts events;
  BlockSet played;
  while (!run.stop.load()) {
    const std::size_t index = run.next.fetch_add(1);
    if (index >= run.blocks.size()) {
      break;
    }
    const std::uint64_t block = run.blocks[index];
    player.play(block, tally, events);
    played.add(block);
    run.roundsDone += config.roundsInBlock(block);
  }
  const std::lock_guard lock(run.mutex);
  run.result.tally += tally;
  run.result.events += events;
  run.result.blocks.add(played);
  --run.running;
  run.workerEnded.notify_all();
}

}  // namespace

void playBlocks(StudyResult& result, const std::vector<std::uint64_t>& blocks, int threads,
                const std::atomic<bool>& stop,
                const std::function<void(std::uint64_t roundsDone)>& watch) {
  SharedRun run{blocks, stop, {}, {}, {}, {}, 0, result};
  const auto started = std::chrono::steady_clock::now();
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
    std::unique_lock lock(run.mutex);
    while (!run.workerEnded.wait_for(lock, std::chrono::milliseconds(250),
                                     [&] { return run.running == 0; })) {
      lock.unlock();
      watch(run.roundsDone.load());
      lock.lock();
    }
  }
  for (std::thread& worker : workers) {
    worker.join();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
  result.seconds += elapsed.count();
}
