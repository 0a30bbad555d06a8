// TestTable: the menu command ids of the tests and the functions the main
// loop calls for them once per frame.
#pragma once

#include <span>

#include "platform/win32/windows.h"

using TestFunction = void (*)();

struct TestEntry {
  UINT id;
  TestFunction run;
};

// The rows of each test group, in ascending id order.
std::span<const TestEntry> TestRows2D();  // 2D, screen and dialog tests
std::span<const TestEntry> TestRows3D();  // 3D tests

// All rows in ascending id order.
std::span<const TestEntry> TestTable();
// The test of a command id, or null: an id without a test runs nothing.
TestFunction FindTest(UINT id);
