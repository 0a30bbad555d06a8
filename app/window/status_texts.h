// SetStatusTexts: divides the status bar into one part per text and sets
// the texts that are not empty, logging each of them.
#pragma once

constexpr int kMaxStatusTexts = 10;

// Texts ended by a null pointer; the first is always present. Texts past
// the tenth are ignored.
void SetStatusTexts(const char* first, ...);
