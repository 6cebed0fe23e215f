// A second thread for the conversion run. It takes up to two jobs at a time and does them in
// order, so that half of a piece's scan, then the read of the next piece, go on beside the
// run's own work, and the run can wait for the first without waiting for the second.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrix {

struct SecondLane {
  std::mutex mutex;
  std::condition_variable changed;
  std::function<void()> jobs[2];
  std::uint64_t handed = 0;   // jobs handed over
  std::uint64_t done = 0;     // jobs done
  std::uint64_t awaited = 0;  // jobs finish_job() has returned for
  bool stopping = false;
  std::thread thread;  // not joinable when no thread could be started
  ~SecondLane();       // lets the jobs handed over finish first
};

// Starts the lane's thread. Where the system has none to give, jobs run on the caller's
// thread, in finish_job(), and the conversion is the same, only slower.
void start_second_lane(SecondLane& lane);

// Hands the lane a job; at most two may be handed over and not yet awaited.
void begin_job(SecondLane& lane, std::function<void()> job);

// Returns once the oldest job not yet awaited is done.
void finish_job(SecondLane& lane);

}  // namespace tavrix
