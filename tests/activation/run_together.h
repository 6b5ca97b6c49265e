// Starting several threads' work at the same moment, for the concurrency tests.
#pragma once
#include <atomic>
#include <thread>
#include <vector>

constexpr int kThreads = 8;

// Runs body(index) on kThreads threads released together.
template <class Body>
void RunTogether(Body body) {
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      ready.fetch_add(1);
      while (!go.load()) std::this_thread::yield();
      body(i);
    });
  while (ready.load() != kThreads) std::this_thread::yield();
  go.store(true);
  for (std::thread &t : threads) t.join();
}
