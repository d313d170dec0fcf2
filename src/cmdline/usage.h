// The two ways a run ends early: the usage text and a fatal error message.
// Any unit may call fatalError; printUsage is called by the driver and the
// usage request switches, which then end the run themselves.
#pragma once

#include <string_view>

struct RunState;

// Writes the three-line usage text (identification, syntax, switches).
void printUsage(RunState& run);

// Writes "*** ", `text` and CR LF, then ends the process with status 9
// through the host's exit (a FakeHost throws FatalExit instead).
[[noreturn]] void fatalError(RunState& run, std::string_view text);
