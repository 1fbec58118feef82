#include "analysis/worker_pool.hpp"

#include <stdexcept>
#include <string>
#include <system_error>

namespace hs {

int default_thread_count() {
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores < 1) return 1;
  return cores > static_cast<unsigned>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

WorkerPool::WorkerPool(int threads) : size_(threads == 0 ? default_thread_count() : threads) {
  if (size_ < 1 || size_ > kMaxThreads) {
    throw std::invalid_argument("the number of threads must be from 1 to " +
                                std::to_string(kMaxThreads) + ", not " + std::to_string(threads));
  }
  failed_.resize(size_);
  try {
    for (int t = 1; t < size_; ++t) threads_.emplace_back(&WorkerPool::worker, this, t);
  } catch (const std::system_error& e) {
    const int started = static_cast<int>(threads_.size()) + 1;
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

void WorkerPool::share(std::size_t n,
                       const std::function<void(int, std::size_t, std::size_t)>& work) {
  for (std::exception_ptr& e : failed_) e = nullptr;
  if (size_ > 1) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      work_ = &work;
      rows_ = n;
      running_ = size_ - 1;
      ++generation_;
    }
    start_.notify_all();
  }
  try {
    work(0, 0, n / size_);
  } catch (...) {
    failed_[0] = std::current_exception();
  }
  if (size_ > 1) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return running_ == 0; });
  }
  for (const std::exception_ptr& e : failed_) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace hs
