#include "driver/run.h"

#include "cmdline/command_words.h"
#include "cmdline/switches.h"
#include "cmdline/usage.h"
#include "compare/file_loop.h"
#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"

namespace {

void openReportFile(RunState& run, Side side) {
  FileSlot& slot = run.files[side];
  char typed[kNameCapacity + 1];
  char stored[kNameCapacity + 1];
  slot.typedName.copyTerminated(typed);
  slot.fileName.copyTerminated(stored);
  slot.fileHandle = run.host.openForReading(
      slot.wholeName != nullptr ? slot.wholeName : typed, stored);
  if (slot.fileHandle == kNoFile) {
    FixedText<kNameCapacity> message;
    message.append("Could not open ");
    message.append(slot.fileName.view());
    fatalError(run, message.view());
  }
  resetReader(run, side);
}

// The letter s after a count that is not 1.
void plural(Output& out, std::int64_t count) {
  if (count != 1) {
    out.text("s");
  }
}

}  // namespace

void deriveLabel(RunState& run, Side side) {
  FileSlot& slot = run.files[side];
  std::string_view name = slot.fileName.view();
  std::size_t cut = name.find_last_of("\\/");
  if (cut != std::string_view::npos) {
    name.remove_prefix(cut + 1);
  }
  name = name.substr(0, kLabelCapacity);
  std::size_t colon = name.find_last_of(':');
  if (colon != std::string_view::npos) {
    name.remove_prefix(colon + 1);
  }
  slot.fileLabel.assign(name);
  if (slot.fileLabel.length > run.values.labelWidth) {
    run.values.labelWidth = slot.fileLabel.length;
  }
}

void writeSummary(RunState& run) {
  Output& out = run.out;
  const Settings& s = run.settings;
  const Counters& c = run.counters;
  if (c.extraCount != 0) {
    std::int64_t extra = c.extraCount;
    std::int64_t magnitude = extra < 0 ? -extra : extra;
    out.number(magnitude, 7);
    out.text("  Extra ");
    out.text(s.wordMode ? "word" : "line");
    plural(out, magnitude);
    out.text(" in file ");
    out.text(run.files[extra > 0 ? Side::kOne : Side::kTwo].fileLabel.view());
    out.endLine();
  }
  if (!s.wordMode) {
    out.number(c.linesCompared, 7);
    out.text("  Line");
    plural(out, c.linesCompared);
    out.text(" compared");
    out.endLine();
    out.number(c.linesDiffered, 7);
    out.text("  Line");
    plural(out, c.linesDiffered);
    out.text(" differed");
    if (s.skipHead > 0 || s.skipFoot > 0) {
      out.text(" (except page headers/footers)");
    }
    out.endLine();
  }
  out.number(c.words.wordDiffCount, 7);
  out.text("  Non-numeric word difference");
  plural(out, c.words.wordDiffCount);
  out.endLine();
  out.number(c.words.numericDiffCount, 7);
  out.text("  Numeric difference");
  plural(out, c.words.numericDiffCount);
  out.endLine();
  std::int32_t tiny = c.words.tinyDiffCount;
  std::int32_t lastDigit = c.words.lastDigitCount;
  if (!s.showAll && (tiny > 0 || lastDigit > 0)) {
    out.text("(plus ");
    if (tiny > 0) {
      out.number(tiny);
      out.text(" differed by less than 0.1%");
    }
    if (tiny > 0 && lastDigit > 0) {
      out.text(" and ");
    }
    if (lastDigit > 0) {
      out.number(lastDigit);
      out.text(" in last decimal place only");
    }
    out.text(")");
    out.endLine();
  }
}

void runProgram(RunState& run) {
  setDefaults(run);
  std::uint32_t count = argumentCount(run);
  if (count == 0) {
    printUsage(run);
    endRun(run);
  }
  // Words 1 to count, read in one pass.
  ArgumentReader words(run.host);
  Word word;
  for (std::uint32_t i = 1; i <= count; ++i) {
    nextArgument(run, words, word);
    if (count == 1) {
      answerHelpOption(run, word.view());
    }
    processArgument(run, word, words.wholeWord());
  }
  compareNamedFiles(run);
  endRun(run);
}

void compareNamedFiles(RunState& run) {
  bool noName1 = run.files[Side::kOne].fileName.empty();
  bool noName2 = run.files[Side::kTwo].fileName.empty();
  if (noName1 && noName2) {
    printUsage(run);
    endRun(run);
  }
  if (noName1 || noName2) {
    fatalError(run, "Missing compare file");
  }

  for (const Side side : kBothSides) {
    deriveLabel(run, side);
    openReportFile(run, side);
  }

  startComparison(run);

  run.out.text("Comparing ");
  run.out.text(run.files[Side::kOne].fileName.view());
  run.out.text(" vs. ");
  run.out.text(run.files[Side::kTwo].fileName.view());
  run.out.endLine();

  compareFiles(run);
  writeSummary(run);
}
