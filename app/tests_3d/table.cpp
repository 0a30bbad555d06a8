// The rows of TestTable for the 3D tests.
#include "app/test_table.h"

std::span<const TestEntry> TestRows3D() { return {}; }
