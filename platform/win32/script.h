// The script language lives in platform/win32/script/; this name stays so
// that includes of the old path still build.
#pragma once

#include "platform/win32/script/script.h"
