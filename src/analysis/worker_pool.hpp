// A fixed set of threads that share out the rows of a batch of load cases.
//
// share(n, work) splits the rows 0..n-1 into one contiguous share per thread, in order (thread t
// takes rows n t / T to n (t + 1) / T), calls work(t, begin, end) for each share on its own thread
// and returns when all are done; an exception thrown by any share is thrown again by share() once
// every share has ended. Contiguous shares in thread order let the caller write the results in
// input order whatever the number of threads.
//
// share_blocks(blocks, work, watch) hands out blocks one at a time to whichever thread is free,
// and stops handing them out when watch() says so: for a caller that must answer something of
// its own while the rows are worked through (an interpreter's Ctrl-C).
#pragma once

#include <chrono>
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
  // Whether the calling thread works as thread 0 beside threads - 1 started ones, or only
  // watches while `threads` started ones work.
  enum class Caller { kWorks, kWatches };

  // Starts the threads (threads from 1 to kMaxThreads; 0 means default_thread_count()). Throws
  // std::invalid_argument for a count out of range and std::runtime_error naming the system's
  // reason when a thread cannot be started (the ones started are stopped first).
  explicit WorkerPool(int threads, Caller caller = Caller::kWorks);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int size() const { return size_; }
  void share(std::size_t n,
             const std::function<void(int thread, std::size_t begin, std::size_t end)>& work);

  // Calls work(thread, b) for the blocks b = 0..blocks-1, each once, on the next free thread (in
  // no fixed order). Meanwhile the calling thread calls watch() every `interval` (between its own
  // blocks when it works too); once watch() returns false no further block is started, and
  // share_blocks returns false when the blocks under way have ended. Exceptions as share(); one
  // of watch() also stops the blocks and is thrown again.
  bool share_blocks(std::size_t blocks,
                    const std::function<void(int thread, std::size_t block)>& work,
                    const std::function<bool()>& watch, std::chrono::milliseconds interval);

 private:
  void worker(int t);
  void stop();
  // Starts work on the started threads, runs the caller's part (when it works) and waits for
  // them; on_wait is called each `interval` while waiting (false: no interval).
  void run_all(const std::function<void(int, std::size_t, std::size_t)>& work, std::size_t n,
               const std::function<void()>& on_wait, std::chrono::milliseconds interval);

  int size_;
  int first_started_;  // 1 when the caller is thread 0, else 0
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
