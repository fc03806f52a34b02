// The block driver's parallel loop, in both builds: every index runs exactly once, concurrently,
// and the call returns only after the last body.

#include "texture/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace {

template <class Loop>
void expect_each_index_once(Loop loop) {
  for (uint32_t n : {0u, 1u, 2u, 7u, 64u}) {
    SCOPED_TRACE(n);
    std::vector<std::atomic<int>> hits(n + 3);
    loop(3u, n + 3, [&](uint32_t i) { hits[i].fetch_add(1); });
    for (uint32_t i = 0; i < n + 3; ++i) EXPECT_EQ(hits[i].load(), i < 3 ? 0 : 1) << i;
  }
}

TEST(ParallelFor, StandardThreadsRunEachIndexOnce) {
  expect_each_index_once(
      [](uint32_t a, uint32_t b, const auto& f) { parallel_for_threads(a, b, f); });
}

TEST(ParallelFor, BuildsLoopRunsEachIndexOnce) {
  expect_each_index_once(
      [](uint32_t a, uint32_t b, const auto& f) { parallel_for_index(a, b, f); });
}

// Two bodies that each wait for the other can only finish when they run at the same time.
TEST(ParallelFor, StandardThreadsRunBodiesConcurrently) {
  std::atomic<int> arrived{0};
  parallel_for_threads(0u, 2u, [&](uint32_t) {
    arrived.fetch_add(1);
    while (arrived.load() < 2) std::this_thread::yield();
  });
  EXPECT_EQ(arrived.load(), 2);
}

}  // namespace
