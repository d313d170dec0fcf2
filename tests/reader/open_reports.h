// Test helpers for the report reader: a run over two in-memory report files
// set up the way the driver does it, and readable renderings of tokens.
#pragma once

#include <string>

#include "core/run_state.h"
#include "reader/checkpoints.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"
#include "support/fake_host.h"

// Opens `one` and `two` as files 1 and 2, resets both readers and all marks
// and fills both buffers. Set run.settings before calling.
inline void openReports(FakeHost& host, RunState& run, const std::string& one,
                        const std::string& two = "") {
  host.addFile("ONE", one);
  host.addFile("TWO", two);
  run.files[Side::kOne].fileHandle = host.openForReading("ONE", "ONE");
  run.files[Side::kTwo].fileHandle = host.openForReading("TWO", "TWO");
  resetReader(run, Side::kOne);
  resetReader(run, Side::kTwo);
  startComparison(run);
}

inline std::string bytesAt(const PageReader& r, std::uint32_t start,
                           std::uint32_t length) {
  return std::string(reinterpret_cast<const char*>(r.bytes()) + start, length);
}

inline std::string bufferText(RunState& run, Side side) {
  const PageReader& r = reader(run, side);
  return bytesAt(r, 0, r.bufLen);
}

// The current token: a word as itself, line ends as <LF>, <CR> or <CRLF>, a
// page end as <FF> and the final page end (length 0) as <END>.
inline std::string tokenText(RunState& run, Side side) {
  const PageReader& r = reader(run, side);
  const ReaderPosition& p = r.position;
  if (p.tokenLength == 0) {
    return "<END>";
  }
  const std::string bytes = bytesAt(r, p.tokenStart, p.tokenLength);
  if (!p.atLineEnd) {
    return bytes;
  }
  if (bytes == "\n") {
    return "<LF>";
  }
  if (bytes == "\r") {
    return "<CR>";
  }
  if (bytes == "\r\n") {
    return "<CRLF>";
  }
  if (bytes == "\f") {
    return "<FF>";
  }
  return "<?" + bytes + ">";
}

// Reads file `side` token by token up to and including its final page
// end; the tokens separated by single blanks. All marks follow the reader,
// so that nothing but the current token needs to stay in the buffer.
inline std::string readTokens(RunState& run, Side side = Side::kOne) {
  std::string out;
  for (int i = 0; i < 10'000'000; ++i) {
    nextToken(run, side);
    moveCheckpointsToCurrent(run, side);
    out += (out.empty() ? "" : " ") + tokenText(run, side);
    if (position(run, side).tokenLength == 0) {
      break;
    }
  }
  return out;
}

// Splits a text that went through the reader's filters (and ends with its
// final form feed) into the tokens readTokens gives. Knows only blanks,
// TABs, line ends and form feeds as separators.
inline std::string naiveTokens(const std::string& text, bool wordMode) {
  std::string out;
  auto add = [&](const std::string& token) {
    out += (out.empty() ? "" : " ") + token;
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (c == '\n' || c == '\r') {
      const bool pair = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
      if (!wordMode) {
        add(c == '\n' ? "<LF>" : pair ? "<CRLF>" : "<CR>");
      }
      i += pair ? 2 : 1;
    } else if (c == '\f') {
      add(i + 1 == text.size() ? "<END>" : "<FF>");
      ++i;
    } else {
      const std::size_t end = text.find_first_of(" \t\r\n\f", i);
      add(text.substr(i, end - i));
      i = end;
    }
  }
  return out;
}
