// Runs `body` and returns what it printed up to the point where it ended the
// run (FatalExit from the FakeHost) or returned. A run's output is buffered:
// when `body` returns normally, it must flush run.out itself. The exit status,
// when the run ended, is stored in `status` (-1 when `body` returned).
#pragma once

#include <string>
#include <utility>

#include "support/fake_host.h"

template <typename Body>
std::string runAndCatch(FakeHost& host, Body&& body, int* status = nullptr) {
  host.output.clear();
  int code = -1;
  try {
    std::forward<Body>(body)();
  } catch (const FatalExit& exit) {
    code = exit.status;
  }
  if (status != nullptr) {
    *status = code;
  }
  return host.output;
}
