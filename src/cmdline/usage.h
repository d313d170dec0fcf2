// The two ways a run ends early: the usage text and a fatal error message.
// Any unit may call fatalError; printUsage is called by the driver and the
// usage request switches, which then end the run themselves; on POSIX also
// the --help, -h and --version options.
#pragma once

#include <string_view>

struct RunState;

// Writes the three-line usage text (identification, syntax, switches).
void printUsage(RunState& run);

// Where the host accepts them (POSIX), a lone --help or -h prints the usage
// text and --version its first line, and the run ends with status 9. Called
// with the only word of the command line, before it is handled; returns
// when the word is none of these or names an existing file.
void answerHelpOption(RunState& run, std::string_view word);

// Writes "*** ", `text` and CR LF, then ends the process with status 9
// through the host's exit (a FakeHost throws FatalExit instead).
[[noreturn]] void fatalError(RunState& run, std::string_view text);
