// The out-of-memory rule of the program: running out of memory ends the
// process with status 9 and no message.
#pragma once

// Called when memory runs out; the installed handler ends the process with
// status 9 and prints nothing.
using OutOfMemoryHandler = void (*)(const char* message);
extern OutOfMemoryHandler outOfMemoryHandler;

// Installs the handler above, also as the C++ new-handler, so that a failed
// operator new ends the process the same way. setUpConsole calls it.
void installOutOfMemoryHandler();
