#include "second_lane.h"

#include <system_error>

namespace tavrix {
namespace {

bool has_thread([[maybe_unused]] const SecondLane& lane) {
#if TAVRIX_LANE_THREADS
  return lane.thread.joinable();
#else
  return false;
#endif
}

}  // namespace

#if TAVRIX_LANE_THREADS
SecondLane::~SecondLane() {
  if (!thread.joinable()) return;
  {
    const std::lock_guard lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}
#endif

void start_second_lane([[maybe_unused]] SecondLane& lane) {
#if TAVRIX_LANE_THREADS
  try {
    lane.thread = std::thread([&lane] {
      std::unique_lock lock(lane.mutex);
      for (;;) {
        lane.changed.wait(lock, [&lane] { return lane.handed > lane.done || lane.stopping; });
        if (lane.handed == lane.done) return;  // stopping, and nothing left to do
        std::function<void()>& job = lane.jobs[lane.done % 2];
        lock.unlock();
        job();
        lock.lock();
        ++lane.done;
        lane.changed.notify_all();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: finish_job() runs each job itself.
  }
#endif
}

void begin_job(SecondLane& lane, std::function<void()> job) {
  if (!has_thread(lane)) {
    lane.jobs[lane.handed++ % 2] = std::move(job);
    return;
  }
#if TAVRIX_LANE_THREADS
  {
    const std::lock_guard lock(lane.mutex);
    lane.jobs[lane.handed % 2] = std::move(job);
    ++lane.handed;
  }
  lane.changed.notify_all();
#endif
}

bool finish_job(SecondLane& lane) {
  if (!has_thread(lane)) {
    lane.jobs[lane.awaited++ % 2]();
    return true;
  }
#if TAVRIX_LANE_THREADS
  std::unique_lock lock(lane.mutex);
  const bool waited = lane.done == lane.awaited;
  lane.changed.wait(lock, [&lane] { return lane.done > lane.awaited; });
  ++lane.awaited;
  return waited;
#else
  return true;
#endif
}

}  // namespace tavrix
