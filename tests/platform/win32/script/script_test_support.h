// Shared set-up of the scripted window tests: the window tests' fixture
// with the script language and runner, and the script error handler put
// back after each test.
#pragma once

#include "platform/win32/script/script.h"
#include "platform/win32/script/script_runner.h"
#include "tests/platform/win32/ui_test_support.h"

namespace win32_test {

class ScriptUiTest : public UiTest {
 protected:
  void TearDown() override {
    UiTest::TearDown();
    SetScriptErrorHandler(nullptr);
  }
};

}  // namespace win32_test
