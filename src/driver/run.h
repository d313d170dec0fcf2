// The program's main sequence: defaults, the command-line words, the name
// checks, opening both files, the "Comparing " line, the comparison and the
// summary. Ends the process with status 9 on every path.
#pragma once

#include "core/side.h"

struct RunState;

// Runs the whole program on `run` (whose host gives the command line and the
// files), after the process start-up that main does. Never returns: every
// path ends through endRun or fatalError.
[[noreturn]] void runProgram(RunState& run);

// The run from the stored file names on: the name checks (usage text when
// there is none, "Missing compare file" when there is one), opening both
// files, the "Comparing " line, the comparison and the summary. Returns after
// the summary, with the output not flushed; ends the run on the usage text
// and on every fatal error. The program and the library both end here.
void compareNamedFiles(RunState& run);

// The label of a file name: the text after its last backslash (or slash, on
// POSIX), cut to 16 characters, without anything up to its last colon.
void deriveLabel(RunState& run, Side side);

// Writes the closing summary from the counters.
void writeSummary(RunState& run);
