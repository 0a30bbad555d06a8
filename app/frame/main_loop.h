// The main loop: one frame per pass (a message, the sampler save and
// filter, the selected test, the restore, the statistics), and the
// draining of the queue after it.
#pragma once

// One pass of the loop.
void RunFrame();
// Passes until the engine's quit flag is set.
void RunMainLoop();
// Handles every message still queued.
void DrainMessages();
// Formats "TestStat <name> : Calls <n> @ <count>FPS" into out.
void FormatStatLine(char* out, int size, const char* testName, unsigned calls, unsigned frames);
