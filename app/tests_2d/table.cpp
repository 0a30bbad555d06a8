// The rows of TestTable for the 2D, screen and dialog tests.
#include "app/test_table.h"

std::span<const TestEntry> TestRows2D() { return {}; }
