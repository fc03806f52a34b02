#pragma once
// The block driver's parallel loop over band indices: oneTBB's task scheduler where the build has
// it (ORVEX_HAVE_TBB), otherwise one standard thread per index beyond the first, which runs on
// the calling thread. Either way the call returns after the last body has finished.

#include <cstdint>
#include <thread>
#include <vector>

#if ORVEX_HAVE_TBB
#include <tbb/parallel_for.h>
#endif

// Calls body(i) for every i in [first, last) on standard threads: one per index beyond the first,
// which runs on the calling thread; when no more threads can be started, the rest run here too.
// REQUIRES: body does not throw (the block loop only calls kernels) and may run on any thread.
template <class Body>
void parallel_for_threads(uint32_t first, uint32_t last, const Body& body) {
  if (first >= last) return;
  std::vector<std::thread> threads;
  uint32_t i = first + 1;
  try {
    threads.reserve(last - first - 1);
    for (; i < last; ++i) threads.emplace_back([&body, i] { body(i); });
  } catch (...) {
    for (; i < last; ++i) body(i);
  }
  body(first);
  for (std::thread& t : threads) t.join();
}

// Calls body(i) for every i in [first, last), concurrently, and returns when all are done.
// Same requirements as parallel_for_threads.
template <class Body>
void parallel_for_index(uint32_t first, uint32_t last, const Body& body) {
#if ORVEX_HAVE_TBB
  if (first < last) tbb::parallel_for(first, last, body);
#else
  parallel_for_threads(first, last, body);
#endif
}
