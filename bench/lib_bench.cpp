// lib_bench: times the library on many small pairs, on one thread and more.
//
//   lib_bench PAIRS_FILE [THREADS...]
//
// PAIRS_FILE lists one pair of report files a line, as gen_reports small
// writes it (names as given to gen_reports, relative to the folder it ran
// in: run lib_bench from there). Every pair is read into
// memory first; then, for each thread count (default 1 and 2), the threads
// share the pairs and call compareTexts once on each, and the wall time of
// the whole list is printed with the process's CPU time.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "zudiz/zudiz.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "lib_bench: cannot read %s\n", path.c_str());
    std::exit(1);
  }
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lib_bench PAIRS_FILE [THREADS...]\n");
    return 2;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  std::ifstream in(argv[1]);
  std::string one;
  std::string two;
  while (in >> one >> two) {
    pairs.emplace_back(readFile(one), readFile(two));
  }
  if (pairs.empty()) {
    std::fprintf(stderr, "lib_bench: no pairs in %s\n", argv[1]);
    return 1;
  }
  std::vector<int> threadCounts;
  for (int i = 2; i < argc; ++i) {
    threadCounts.push_back(std::atoi(argv[i]));
  }
  if (threadCounts.empty()) {
    threadCounts = {1, 2};
  }

  for (int threads : threadCounts) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> different{0};
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&] {
        for (std::size_t i = next++; i < pairs.size(); i = next++) {
          const zudiz::Result r =
              zudiz::compareTexts(pairs[i].first, pairs[i].second);
          if (r.status != zudiz::Status::kSame) {
            ++different;
          }
        }
      });
    }
    for (std::thread& worker : workers) {
      worker.join();
    }
    const std::chrono::duration<double> took =
        std::chrono::steady_clock::now() - start;
    const double cpu =
        static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // CPU time shows what the calls cost whatever else the machine runs.
    std::printf(
        "%zu calls on %d thread%s: %.3f s wall (%.0f calls/s), %.3f s CPU, "
        "%zu differ\n",
        pairs.size(), threads, threads == 1 ? "" : "s", took.count(),
        static_cast<double>(pairs.size()) / took.count(), cpu,
        different.load());
  }
  return 0;
}
