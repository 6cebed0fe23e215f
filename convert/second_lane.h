// A second thread for the conversion run. It takes up to two jobs at a time and does them in
// order, so that half of a piece's scan, then the read of the next piece, go on beside the
// run's own work, and the run can wait for the first without waiting for the second.
#pragma once

#include <cstdint>
#include <functional>

// A standard library without threads (MinGW's win32 thread model, before GCC 13) gets a lane
// that runs each job on the caller's thread.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define TAVRIX_LANE_THREADS 0
#else
#define TAVRIX_LANE_THREADS 1
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace tavrix {

struct SecondLane {
  std::function<void()> jobs[2];
  std::uint64_t handed = 0;   // jobs handed over
  std::uint64_t done = 0;     // jobs done
  std::uint64_t awaited = 0;  // jobs finish_job() has returned for
#if TAVRIX_LANE_THREADS
  std::mutex mutex;
  std::condition_variable changed;
  bool stopping = false;
  std::thread thread;  // not joinable when no thread could be started
  ~SecondLane();       // lets the jobs handed over finish first
#endif
};

// Starts the lane's thread. Where the system has none to give, jobs run on the caller's
// thread, in finish_job(), and the conversion is the same, only slower.
void start_second_lane(SecondLane& lane);

// Hands the lane a job; at most two may be handed over and not yet awaited.
void begin_job(SecondLane& lane, std::function<void()> job);

// Returns once the oldest job not yet awaited is done: true if the caller had to wait for it,
// false if it was done already.
bool finish_job(SecondLane& lane);

}  // namespace tavrix
