// A fixed set of threads that share out the rows of a batch of load cases.
//
// share(n, work) splits the rows 0..n-1 into one contiguous share per thread, in order (thread t
// takes rows n t / T to n (t + 1) / T), calls work(t, begin, end) for each share on its own thread
// (share 0 on the calling thread) and returns when all are done; an exception thrown by any share
// is thrown again by share() once every share has ended. Contiguous shares in thread order let the
// caller write the results in input order whatever the number of threads.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace hs {

// More threads than this are refused: each holds its own working storage, and no machine the
// program runs on shares a batch usefully among more.
constexpr int kMaxThreads = 256;

// The number of threads to use when none is asked for: one per core the system reports, within
// 1..kMaxThreads.
int default_thread_count();

class WorkerPool {
 public:
  // Starts threads - 1 workers (threads from 1 to kMaxThreads; 0 means default_thread_count()).
  // Throws std::invalid_argument for a count out of range and std::runtime_error naming the
  // system's reason when a thread cannot be started (the ones started are stopped first).
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int size() const { return size_; }
  void share(std::size_t n,
             const std::function<void(int thread, std::size_t begin, std::size_t end)>& work);

 private:
  void worker(int t);
  void stop();

  int size_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_, done_;
  const std::function<void(int, std::size_t, std::size_t)>* work_ = nullptr;
  std::size_t rows_ = 0;
  unsigned long generation_ = 0;
  int running_ = 0;
  bool stopping_ = false;
  std::vector<std::exception_ptr> failed_;
};

}  // namespace hs
