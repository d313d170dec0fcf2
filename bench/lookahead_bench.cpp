// lookahead_bench: one comparison through the library with a given
// look-ahead, for timing it against the program's rules (look-ahead 1).
//
//   lookahead_bench LINES FILE1 FILE2
//
// Prints the status and the counts the comparison found, one line, so that
// a run shows what it compared; the listing is not printed.
#include <cstdio>
#include <cstdlib>

#include "zudiz/zudiz.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: lookahead_bench LINES FILE1 FILE2\n");
    return 2;
  }
  zudiz::CompareOptions options;
  options.lookahead = std::atoi(argv[1]);
  options.contextLines = 0;
  options.maxNumbers = 0;
  const zudiz::Result r = zudiz::compareFiles(argv[2], argv[3], "", options);
  if (r.status == zudiz::Status::kError) {
    std::fprintf(stderr, "lookahead_bench: %s\n", r.message.c_str());
    return 1;
  }
  std::printf("compared %lld, differed %lld, words %lld, numbers %lld\n",
              static_cast<long long>(r.counts.linesCompared),
              static_cast<long long>(r.counts.linesDiffered),
              static_cast<long long>(r.counts.wordDifferences),
              static_cast<long long>(r.counts.numericDifferences));
  return 0;
}
