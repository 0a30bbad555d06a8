// The table a sweep prints on stdout at its end: test, mode, calls,
// median FPS, min-max and primitives per second.
#pragma once

#include <string>

#include "app/sweep/sweep_results.h"

std::string FormatResultsTable(const SweepResults& results);
