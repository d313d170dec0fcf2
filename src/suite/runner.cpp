#include "suite/runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace suite {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

PairStatus statusOf(zudiz::Status status) {
  switch (status) {
    case zudiz::Status::kSame:
      return PairStatus::kSame;
    case zudiz::Status::kDifferent:
      return PairStatus::kDifferent;
    case zudiz::Status::kError:
      break;
  }
  return PairStatus::kError;
}

// Runs one pair on a worker thread.
PairResult runOne(PairPlan plan, const RunnerSettings& settings,
                  const RunnerHooks& hooks) {
  PairResult row;
  static_cast<PairFacts&>(row) = std::move(plan.row);
  if (!plan.toCompare) {
    return row;
  }
  Clock::time_point start = Clock::now();
  try {
    row.result = hooks.compare(row);
    row.status = statusOf(row.result.status);
    row.message = row.result.message;
  } catch (const std::exception& e) {
    // Only running out of memory can throw here; the pair fails, the run
    // goes on.
    row.status = PairStatus::kError;
    row.message = e.what();
  }
  keepLargestNumbers(row.result, settings.numbersCap);
  row.seconds = secondsSince(start);
  return row;
}

}  // namespace

RunnerOutcome runPairs(const PlanList& plans, const RunnerSettings& settings,
                       const RunnerHooks& hooks) {
  Clock::time_point start = Clock::now();
  const std::size_t total = plans.size();
  Progress progress;
  progress.pairsTotal = static_cast<std::int64_t>(total);
  for (std::size_t i = 0; i < total; ++i) {
    progress.bytesTotal += plans.bytes(i);
  }

  // A finished pair waits in its slot until it is handed on; only the pairs
  // finished ahead of the first unfinished one are held at any time.
  std::vector<std::unique_ptr<PairResult>> slots(total);
  std::vector<PairResult> kept;
  std::vector<char> done(total, 0);
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t workersLeft = 0;
  std::int64_t bytesDone = 0;
  std::int64_t pairsDone = 0;

  auto work = [&] {
    for (;;) {
      if (hooks.stopRequested && hooks.stopRequested()) {
        break;
      }
      std::size_t i = next.fetch_add(1);
      if (i >= total) {
        break;
      }
      std::int64_t bytes = plans.bytes(i);
      auto row =
          std::make_unique<PairResult>(runOne(plans[i], settings, hooks));
      std::lock_guard<std::mutex> lock(mutex);
      slots[i] = std::move(row);
      done[i] = 1;
      bytesDone += bytes;
      ++pairsDone;
      changed.notify_one();
    }
    std::lock_guard<std::mutex> lock(mutex);
    --workersLeft;
    changed.notify_one();
  };

  std::size_t jobs = std::min<std::size_t>(
      static_cast<std::size_t>(std::max(settings.jobs, 1)), total);
  workersLeft = jobs;
  std::vector<std::thread> workers;
  workers.reserve(jobs);
  for (std::size_t w = 0; w < jobs; ++w) {
    workers.emplace_back(work);
  }

  auto interval = std::chrono::duration<double>(settings.progressInterval);
  Clock::time_point lastProgress = start;
  std::size_t handed = 0;
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    changed.wait_for(lock, interval, [&] {
      return (handed < total && done[handed]) || workersLeft == 0;
    });
    // Hand on every finished pair at the front, without the lock: a worker
    // never touches a slot once it is marked done.
    while (handed < total && done[handed]) {
      std::unique_ptr<PairResult> row = std::move(slots[handed]);
      lock.unlock();
      if (hooks.finished) {
        hooks.finished(*row);
      }
      if (settings.keepRows) {
        kept.push_back(std::move(*row));
      }
      row.reset();
      ++handed;
      lock.lock();
    }
    progress.pairsDone = pairsDone;
    progress.bytesDone = bytesDone;
    bool over = workersLeft == 0 && (handed == total || !done[handed]);
    if (hooks.progress && (over || Clock::now() - lastProgress >= interval)) {
      lastProgress = Clock::now();
      progress.seconds = secondsSince(start);
      lock.unlock();
      hooks.progress(progress);
      lock.lock();
    }
    if (over) {
      break;
    }
  }
  lock.unlock();
  for (std::thread& worker : workers) {
    worker.join();
  }

  RunnerOutcome outcome;
  outcome.stopped = handed < total;
  outcome.pairsRun = handed;
  outcome.rows = std::move(kept);
  return outcome;
}

}  // namespace suite
