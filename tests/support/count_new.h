// Counts the calls of the global operator new in unit_tests, so a test can
// show that a piece of code allocates nothing (count_new.cpp replaces the
// global operator new and delete).
#pragma once

#include <cstdint>

// Calls of operator new and operator new[] since the process started.
std::uint64_t newCallCount();
