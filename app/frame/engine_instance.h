// The one engine object of the program, constructed with the application
// name.
#pragma once

#include "app/frame/application_name.h"

class Vorn;

// Constructed before main (its constructor writes the first log entry) and
// destroyed after it, by DestroyEngineAtExit. A test may define g_Engine
// itself to run harness code over an engine of its own.
extern Vorn& g_Engine;

// Registers the engine's destruction to run first among the exit-time
// destructors; main calls it as its last act.
void DestroyEngineAtExit();
