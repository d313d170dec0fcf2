// The few things the suite asks of the console: whether standard error is a
// terminal (the progress line is drawn only then) and Ctrl-C.
#pragma once

namespace suite {

// True when standard error is a terminal, not a file or a pipe.
bool stderrIsTerminal();

// Makes the first Ctrl-C (SIGINT) only set the flag interruptRequested
// reads; a second one ends the process at once.
void installInterruptHandler();

// True once Ctrl-C was pressed after installInterruptHandler. Safe to call
// from any thread.
bool interruptRequested();

}  // namespace suite
