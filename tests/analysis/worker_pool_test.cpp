// The pool of threads that shares a batch: contiguous shares, blocks taken in turn, a watch that
// stops them, failures carried back to the caller.
#include "analysis/worker_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace hs {
namespace {

// Catches a block run twice or never, a thread number out of range, or a caller that watches
// nothing (or works when it should only watch): every block once, for both kinds of caller and
// one to five threads.
TEST(WorkerPool, EveryBlockOnce) {
  for (auto caller : {WorkerPool::Caller::kWorks, WorkerPool::Caller::kWatches}) {
    for (int threads = 1; threads <= 5; ++threads) {
      WorkerPool pool(threads, caller);
      std::vector<std::atomic<int>> runs(1000);
      std::atomic<int> bad_thread{0};
      int looks = 0;
      const bool whole = pool.share_blocks(
          runs.size(),
          [&](int t, std::size_t b) {
            if (t < 0 || t >= threads) ++bad_thread;
            ++runs[b];
            std::this_thread::sleep_for(std::chrono::microseconds(20));
          },
          [&] {
            ++looks;
            return true;
          },
          std::chrono::milliseconds(1));
      EXPECT_TRUE(whole);
      EXPECT_EQ(0, bad_thread.load());
      EXPECT_GT(looks, 0) << threads << " threads";
      for (std::size_t b = 0; b < runs.size(); ++b) ASSERT_EQ(1, runs[b].load()) << "block " << b;
      // The contiguous shares still cover every row once.
      std::vector<std::atomic<int>> rows(777);
      pool.share(rows.size(), [&](int, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) ++rows[i];
      });
      for (std::size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(1, rows[i].load()) << "row " << i;
    }
  }
}

// Catches blocks started after the watch said stop, a stop not reported, and an exception of a
// block or of the watch lost or thrown while threads still run.
TEST(WorkerPool, StoppedAndFailed) {
  WorkerPool pool(2, WorkerPool::Caller::kWatches);
  std::atomic<int> started{0};
  std::atomic<bool> said_stop{false};
  std::atomic<int> after_stop{0};
  const bool whole = pool.share_blocks(
      100000,
      [&](int, std::size_t) {
        if (said_stop) ++after_stop;
        ++started;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      },
      [&] {
        if (started > 50) said_stop = true;
        return !said_stop;
      },
      std::chrono::milliseconds(2));
  EXPECT_FALSE(whole);
  EXPECT_LT(started.load(), 100000);
  EXPECT_LE(after_stop.load(), 4);  // the blocks each thread took as the watch said stop

  EXPECT_THROW(pool.share_blocks(
                   10,
                   [](int, std::size_t b) {
                     if (b == 7) throw std::runtime_error("block");
                   },
                   [] { return true; }, std::chrono::milliseconds(1)),
               std::runtime_error);
  EXPECT_THROW(
      pool.share_blocks(
          100000,
          [](int, std::size_t) { std::this_thread::sleep_for(std::chrono::microseconds(50)); },
          []() -> bool { throw std::logic_error("watch"); }, std::chrono::milliseconds(1)),
      std::logic_error);
}

}  // namespace
}  // namespace hs
