// The headless backend: windows are pixel buffers and records, nothing is
// shown, and without a script every question gets its default answer.
#pragma once

#include <memory>

#include "platform/win32/backend.h"

std::unique_ptr<Backend> CreateHeadlessBackend();
