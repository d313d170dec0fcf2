// bare_words: the plainest comparison of two files word by word, as a
// yardstick for the benchmarks.
//
//   bare_words FILE1 FILE2
//
// Reads both files in blocks of 64 KB, splits them into words separated by
// blanks (SPACE and the control bytes 0 to 31, line and page ends among
// them) and compares the words pair by pair, byte by byte. It prints how many
// word pairs it compared and how many of them differ, and, when one file has
// more words, how many. No numbers, no pages, no alignment: any tool that
// compares reports word by word has at least this much work to do, so its
// speed is the floor such a tool must reach.
//
// Exit status 0 when every word pair is equal, 1 when not, 2 on an error.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

bool isBlank(unsigned char c) {
  return c <= 32;
}

// One file read block by block. A word that runs over the end of a block is
// moved to the front of the buffer before the next block is read behind it;
// the buffer grows only for a word longer than a block.
class WordReader {
 public:
  explicit WordReader(const char* path) : path_(path), buffer_(2 * kBlockSize) {
    fd_ = open(path, O_RDONLY);
    if (fd_ < 0) {
      std::fprintf(stderr, "bare_words: cannot open %s\n", path);
      std::exit(2);
    }
  }
  ~WordReader() { close(fd_); }
  WordReader(const WordReader&) = delete;
  WordReader& operator=(const WordReader&) = delete;

  // The next word as [*word, *word + *length); false at the end of the file.
  // The word stays valid until the next call.
  bool next(const unsigned char** word, std::size_t* length) {
    for (;;) {
      while (pos_ < end_ && isBlank(buffer_[pos_])) {
        ++pos_;
      }
      if (pos_ < end_) {
        break;
      }
      pos_ = end_ = 0;
      if (!fill()) {
        return false;
      }
    }
    std::size_t start = pos_;
    for (;;) {
      while (pos_ < end_ && !isBlank(buffer_[pos_])) {
        ++pos_;
      }
      if (pos_ < end_ || eof_) {
        break;
      }
      // The word runs on into the next block.
      std::memmove(buffer_.data(), buffer_.data() + start, end_ - start);
      end_ -= start;
      pos_ = end_;
      start = 0;
      if (!fill()) {
        break;
      }
    }
    *word = buffer_.data() + start;
    *length = pos_ - start;
    return true;
  }

 private:
  // Reads one block behind the valid bytes; false when nothing came.
  bool fill() {
    if (eof_) {
      return false;
    }
    if (buffer_.size() - end_ < kBlockSize) {
      buffer_.resize(end_ + kBlockSize);
    }
    ssize_t got;
    do {
      got = read(fd_, buffer_.data() + end_, kBlockSize);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      std::fprintf(stderr, "bare_words: cannot read %s\n", path_);
      std::exit(2);
    }
    if (got == 0) {
      eof_ = true;
      return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
  }

  const char* path_;
  int fd_ = -1;
  std::vector<unsigned char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_words FILE1 FILE2\n");
    return 2;
  }
  WordReader one(argv[1]);
  WordReader two(argv[2]);
  std::uint64_t pairs = 0;
  std::uint64_t differing = 0;
  std::uint64_t surplus = 0;
  const unsigned char* a;
  const unsigned char* b;
  std::size_t lengthA;
  std::size_t lengthB;
  for (;;) {
    const bool hasA = one.next(&a, &lengthA);
    const bool hasB = two.next(&b, &lengthB);
    if (!hasA || !hasB) {
      WordReader& rest = hasA ? one : two;
      for (bool more = hasA || hasB; more; more = rest.next(&a, &lengthA)) {
        ++surplus;
      }
      break;
    }
    ++pairs;
    bool same = lengthA == lengthB;
    for (std::size_t i = 0; same && i < lengthA; ++i) {
      same = a[i] == b[i];
    }
    if (!same) {
      ++differing;
    }
  }
  std::printf("%llu word pairs, %llu differ, %llu surplus words\n",
              static_cast<unsigned long long>(pairs),
              static_cast<unsigned long long>(differing),
              static_cast<unsigned long long>(surplus));
  return differing == 0 && surplus == 0 ? 0 : 1;
}
