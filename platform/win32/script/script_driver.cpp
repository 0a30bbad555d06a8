// The one runner a program starts from its script, owned here.
#include "platform/win32/script/script_driver.h"

#include <memory>

#include "platform/win32/script/script_runner.h"

namespace {

std::unique_ptr<ScriptRunner> g_runner;

}  // namespace

void StartScriptDriver(Script script, ScriptRunnerOptions options) {
  auto runner = std::make_unique<ScriptRunner>(std::move(script), std::move(options));
  InstallScriptRunner(runner.get());
  g_runner = std::move(runner);
}

void StopScriptDriver() {
  if (!g_runner) return;
  InstallScriptRunner(nullptr);
  g_runner.reset();
}
