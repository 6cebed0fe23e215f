#include "second_lane.h"

#include <system_error>

namespace tavrix {

SecondLane::~SecondLane() {
  if (!thread.joinable()) return;
  {
    const std::lock_guard lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}

void start_second_lane(SecondLane& lane) {
  try {
    lane.thread = std::thread([&lane] {
      std::unique_lock lock(lane.mutex);
      for (;;) {
        lane.changed.wait(lock, [&lane] { return lane.job_pending || lane.stopping; });
        if (lane.stopping) return;
        lock.unlock();
        lane.job();
        lock.lock();
        lane.job_pending = false;
        lane.changed.notify_all();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: finish_job() runs each job itself.
  }
}

void begin_job(SecondLane& lane, std::function<void()> job) {
  if (!lane.thread.joinable()) {
    lane.job = std::move(job);
    return;
  }
  {
    const std::lock_guard lock(lane.mutex);
    lane.job = std::move(job);
    lane.job_pending = true;
  }
  lane.changed.notify_all();
}

void finish_job(SecondLane& lane) {
  if (!lane.thread.joinable()) {
    lane.job();
    return;
  }
  std::unique_lock lock(lane.mutex);
  lane.changed.wait(lock, [&lane] { return !lane.job_pending; });
}

}  // namespace tavrix
