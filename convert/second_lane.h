// A second thread for the conversion run: it takes one job at a time, so that half of a
// piece's scan and the read of the next piece go on beside the run's own work.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tavrix {

struct SecondLane {
  std::mutex mutex;
  std::condition_variable changed;
  std::function<void()> job;
  bool job_pending = false;  // handed over and not yet done
  bool stopping = false;
  std::thread thread;  // not joinable when no thread could be started
  ~SecondLane();
};

// Starts the lane's thread. Where the system has none to give, jobs run on the caller's
// thread, in finish_job(), and the conversion is the same, only slower.
void start_second_lane(SecondLane& lane);

// Hands the lane its next job; the previous one must have been finished.
void begin_job(SecondLane& lane, std::function<void()> job);

// Returns once the job handed over last is done.
void finish_job(SecondLane& lane);

}  // namespace tavrix
