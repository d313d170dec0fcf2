// The program's main sequence: start-up, defaults, the command-line words,
// the name checks, opening both files, the "Comparing " line, the comparison
// and the summary. Ends the process with status 9 on every path.
#pragma once

struct RunState;

// Runs the whole program on `run` (whose host gives the command line and the
// files). Never returns: every path ends through endRun or fatalError.
[[noreturn]] void runProgram(RunState& run);

// The label of a file name: the text after its last backslash (or slash, on
// POSIX), cut to 16 characters, without anything up to its last colon.
void deriveLabel(RunState& run, int fileNo);

// Writes the closing summary from the counters.
void writeSummary(RunState& run);
