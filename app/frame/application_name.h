// The application's name: the log's first line, the About box's text.
#pragma once

extern const char* const kApplicationName;  // "Vornel Tests V0.5"
