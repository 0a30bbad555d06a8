// InitBackend: the script, the chosen backend and the script's driver
// around it.
#include "platform/win32/backend_select.h"

#include <cstdlib>
#include <memory>

#include "platform/win32/backend.h"
#include "platform/win32/clock.h"
#include "platform/win32/headless/headless_backend.h"
#include "platform/win32/script/script.h"
#include "platform/win32/script/script_driver.h"
#ifdef VORNEL_HAVE_QT
#include "platform/win32/qt/qt_backend.h"
#endif

int InitBackend(BackendKind kind, const char* script_path, std::string* error) {
  std::string message;
  Script script;
  if (script_path && !LoadScript(script_path, &script, &message)) {
    if (error) *error = message;
    return 2;
  }
  std::unique_ptr<Backend> backend;
  ScriptRunnerOptions options;
  if (kind == BackendKind::kQt) {
#ifdef VORNEL_HAVE_QT
    backend = CreateQtBackend(&message);
#else
    message = "this build has no Qt window backend; use --headless";
#endif
    if (!backend) {
      if (error) *error = message;
      return 2;
    }
  } else {
    backend = CreateHeadlessBackend();
    // For whole-program tests, VORNEL_VIRTUAL_CLOCK=MS: a virtual clock for
    // the rest of the process, moved by Sleep and by script sleeps, MS ms a
    // main-loop pass (10 when MS is not a positive number).
    if (const char* ms = std::getenv("VORNEL_VIRTUAL_CLOCK"); ms && *ms) {
      static VirtualClock* clock = new VirtualClock();
      InstallClock(clock);
      options.virtual_ms_per_pass = std::atoi(ms);
    }
  }
  InstallBackend(std::move(backend));
  if (script_path) StartScriptDriver(std::move(script), options);
  return 0;
}

void ShutdownBackend() {
  StopScriptDriver();
  InstallBackend(nullptr);
}
