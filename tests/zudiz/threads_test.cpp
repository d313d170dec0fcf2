// Many comparisons at once: eight threads run the golden cases' pairs with
// their switches, from files and from texts, and every result must equal
// the one the same call gave on its own. Built with the thread sanitizer by
// `make tsan`, which also reports any data race between the runs.
#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "zudiz/golden_cases.h"
#include "zudiz/zudiz.h"

namespace {

struct Job {
  std::string what;
  bool fromTexts = false;
  std::string a, b;  // file names, or the texts
  std::string switches;
  std::string label1, label2;
};

zudiz::Result runJob(const Job& job) {
  if (job.fromTexts) {
    return zudiz::compareTexts(job.a, job.b, job.switches, job.label1,
                               job.label2);
  }
  return zudiz::compareFiles(job.a, job.b, job.switches);
}

std::vector<Job> jobsOfGoldenCases() {
  std::vector<Job> jobs;
  for (const GoldenCase& c : goldenCases()) {
    const NamesAndSwitches split = splitWords(c);
    std::string names[2];
    bool bothFiles = split.names.size() >= 2;
    for (std::size_t i = 0; i < 2 && i < split.names.size(); ++i) {
      const std::filesystem::path path = c.dir / split.names[i];
      bothFiles = bothFiles && std::filesystem::is_regular_file(path);
      names[i] = std::filesystem::exists(path) ? path.string() : split.names[i];
    }
    Job files{c.name + " (files)",       false, names[0], names[1],
              joinWords(split.switches), "",    ""};
    jobs.push_back(files);
    if (bothFiles) {
      Job texts{c.name + " (texts)",
                true,
                readBytes(c.dir / split.names[0]),
                readBytes(c.dir / split.names[1]),
                files.switches,
                split.names[0],
                split.names[1]};
      jobs.push_back(texts);
    }
  }
  // A pair of many records: every number differs a little.
  std::string one = "T\nP\n\n";
  std::string two = one;
  for (int i = 0; i < 3000; ++i) {
    one += "R " + std::to_string(100 + i) + ".0 " + std::to_string(i) + "\n";
    two +=
        "R " + std::to_string(100 + i) + ".05 " + std::to_string(i + 1) + "\n";
  }
  jobs.push_back(Job{"many numbers", true, one, two, "/V:50", "A", "B"});
  return jobs;
}

TEST(LibraryThreads, EightThreadsGiveTheResultsOfOne) {
  const std::vector<Job> jobs = jobsOfGoldenCases();
  ASSERT_GT(jobs.size(), 60u);
  std::vector<zudiz::Result> expected;
  for (const Job& job : jobs) {
    expected.push_back(runJob(job));
  }

  constexpr int kThreads = 8;
  constexpr int kRounds = 2;
  std::atomic<int> differing{0};
  std::mutex mutex;
  std::vector<std::string> differed;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread starts elsewhere in the list, so that different pairs
      // run side by side.
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t k = 0; k < jobs.size(); ++k) {
          const std::size_t i =
              (k + static_cast<std::size_t>(t) * 7) % jobs.size();
          if (!(runJob(jobs[i]) == expected[i])) {
            ++differing;
            std::lock_guard<std::mutex> lock(mutex);
            differed.push_back(jobs[i].what);
          }
        }
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(0, differing.load());
  for (const std::string& what : differed) {
    ADD_FAILURE() << "differs on another thread: " << what;
  }
}

}  // namespace
