#include "second_lane.h"

#include <system_error>

namespace tavrix {

SecondLane::~SecondLane() {
  if (!thread.joinable()) return;
  stopping = true;
  job_ready.release();
  thread.join();
}

void start_second_lane(SecondLane& lane) {
  try {
    lane.thread = std::thread([&lane] {
      for (;;) {
        lane.job_ready.acquire();
        if (lane.stopping) return;
        lane.job();
        lane.job_done.release();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: finish_job() runs each job itself.
  }
}

void begin_job(SecondLane& lane, std::function<void()> job) {
  lane.job = std::move(job);
  if (lane.thread.joinable()) lane.job_ready.release();
}

void finish_job(SecondLane& lane) {
  if (lane.thread.joinable()) {
    lane.job_done.acquire();
  } else {
    lane.job();
  }
}

}  // namespace tavrix
