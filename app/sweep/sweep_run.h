// The run driver of `vornel --run-all`: the bench on its backend, driven by
// the sweep's script, its progress on stderr, and afterwards the reports
// from the log's statistics lines.
#pragma once

#include "app/sweep/sweep_options.h"

// Runs the whole sweep and writes results.csv, results.svg, frames/ and
// contact.png into the output folder and the table on stdout. Returns the
// exit status: 0, 1 when the sweep was cut short or a report could not be
// written, 2 for bad options or a backend that cannot start.
int RunSweep(const RunAllOptions& options);
