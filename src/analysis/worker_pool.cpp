#include "analysis/worker_pool.hpp"

#include <atomic>
#include <stdexcept>
#include <string>
#include <system_error>

namespace hs {

int default_thread_count() {
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores < 1) return 1;
  return cores > static_cast<unsigned>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

WorkerPool::WorkerPool(int threads, Caller caller)
    : size_(threads == 0 ? default_thread_count() : threads),
      first_started_(caller == Caller::kWorks ? 1 : 0) {
  if (size_ < 1 || size_ > kMaxThreads) {
    throw std::invalid_argument("the number of threads must be from 1 to " +
                                std::to_string(kMaxThreads) + ", not " + std::to_string(threads));
  }
  failed_.resize(size_);
  threads_.reserve(size_);
  try {
    for (int t = first_started_; t < size_; ++t)
      threads_.emplace_back(&WorkerPool::worker, this, t);
  } catch (const std::system_error& e) {
    const int started = static_cast<int>(threads_.size()) + first_started_;
    stop();
    throw std::runtime_error("cannot start " + std::to_string(size_) + " threads (" +
                             std::to_string(started) + " started): " + e.code().message());
  }
}

WorkerPool::~WorkerPool() {
  stop();
}

void WorkerPool::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  start_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

void WorkerPool::worker(int t) {
  unsigned long seen = 0;
  for (;;) {
    const std::function<void(int, std::size_t, std::size_t)>* work;
    std::size_t n;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      work = work_;
      n = rows_;
    }
    try {
      (*work)(t, n * t / size_, n * (t + 1) / size_);
    } catch (...) {
      failed_[t] = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
    }
    done_.notify_one();
  }
}

void WorkerPool::run_all(const std::function<void(int, std::size_t, std::size_t)>& work,
                         std::size_t n, const std::function<void()>& on_wait,
                         std::chrono::milliseconds interval) {
  for (std::exception_ptr& e : failed_) e = nullptr;
  if (!threads_.empty()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      work_ = &work;
      rows_ = n;
      running_ = static_cast<int>(threads_.size());
      ++generation_;
    }
    start_.notify_all();
  }
  if (first_started_ == 1) {
    try {
      work(0, 0, n / size_);
    } catch (...) {
      failed_[0] = std::current_exception();
    }
  }
  if (!threads_.empty()) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (on_wait) {
      while (!done_.wait_for(lock, interval, [&] { return running_ == 0; })) {
        lock.unlock();
        on_wait();
        lock.lock();
      }
    } else {
      done_.wait(lock, [&] { return running_ == 0; });
    }
  }
  for (const std::exception_ptr& e : failed_) {
    if (e) std::rethrow_exception(e);
  }
}

void WorkerPool::share(std::size_t n,
                       const std::function<void(int, std::size_t, std::size_t)>& work) {
  run_all(work, n, nullptr, std::chrono::milliseconds(0));
}

bool WorkerPool::share_blocks(std::size_t blocks, const std::function<void(int, std::size_t)>& work,
                              const std::function<bool()>& watch,
                              std::chrono::milliseconds interval) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stopped{false};
  std::exception_ptr watch_failed;
  auto last_watch = std::chrono::steady_clock::now();
  // Only the calling thread looks; an exception of watch() stops the blocks and is thrown again
  // once the threads have ended.
  auto look = [&] {
    try {
      if (!watch()) stopped = true;
    } catch (...) {
      watch_failed = std::current_exception();
      stopped = true;
    }
  };
  // Each thread takes the next block until none is left or the watch says stop; the caller, when
  // it works, looks up between its blocks.
  const std::function<void(int, std::size_t, std::size_t)> take = [&](int t, std::size_t,
                                                                      std::size_t) {
    for (;;) {
      if (t == 0 && first_started_ == 1) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_watch >= interval) {
          last_watch = now;
          look();
        }
      }
      if (stopped) return;
      const std::size_t b = next++;
      if (b >= blocks) return;
      work(t, b);
    }
  };
  run_all(take, blocks, look, interval);
  if (watch_failed) std::rethrow_exception(watch_failed);
  return !stopped;
}

}  // namespace hs
