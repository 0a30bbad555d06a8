// The sweep's entry point for main: `--run-all ...` and `--compare ...`.
#pragma once

// When the command line asks for --run-all or --compare, runs it, sets
// *handled and returns the exit status (2 with one line on stderr for bad
// options, unreadable or foreign results files). Otherwise sets *handled
// to false and returns 0 without doing anything: main goes on as usual.
//
// For --run-all it registers the resources, installs the backend and the
// sweep's script runner, runs WinMain and shuts the backend down itself;
// main only has to call DestroyEngineAtExit afterwards as it always does.
int RunSweepCommand(int argc, char** argv, bool* handled);
