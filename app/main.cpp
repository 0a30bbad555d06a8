// The program's entry point: reads the options, registers the resources,
// installs the backend (Qt, or headless with an optional script) and runs
// WinMain.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/frame/engine_instance.h"
#include "app/resources/resources.h"
#include "app/mesh_viewer/show_mesh.h"
#include "app/sweep/sweep_main.h"
#include "app/frame/win_main.h"
#include "log/event_log.h"
#include "platform/win32/backend_select.h"
#include "platform/win32/window.h"

namespace {

constexpr const char* kUsage =
    "usage: vornel [--headless] [--script FILE]\n"
    "       vornel --run-all [--seconds S] [--calls 1,10,...] [--tests IDS|all]\n"
    "              [--modes random,static,defined] [--out DIR] [--headless]\n"
    "       vornel --compare A.csv B.csv [--threshold P]\n"
    "       vornel --show-mesh FILE.x [--skinned] [--method N] [--screenshot F.png] [--headless]\n"
    "       vornel --help | --version\n"
    "\n"
    "  --headless      run without a window system (windows are memory only)\n"
    "  --script FILE   drive the program from a script of menu choices, keys,\n"
    "                  answers and screenshots\n";

struct Options {
  bool headless = false;
  const char* script = nullptr;
};

// Returns -1 to go on, or the exit status to end with.
int ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(a, "--version") == 0) {
      std::printf("vornel %s\n", kLogVersion);
      return 0;
    }
    if (std::strcmp(a, "--headless") == 0) {
      options->headless = true;
    } else if (std::strcmp(a, "--script") == 0 && i + 1 < argc) {
      options->script = argv[++i];
    } else {
      std::fprintf(stderr, "vornel: unknown option '%s'\n%s", a, kUsage);
      return 2;
    }
  }
  return -1;
}

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  return (x && *x) || (w && *w) || (qpa && *qpa);
}

int Run(int argc, char** argv) {
  // --run-all and --compare have their own options and run on their own.
  bool handled = false;
  int sweep_status = RunSweepCommand(argc, argv, &handled);
  if (handled) return sweep_status;
  int mesh_status = RunShowMeshCommand(argc, argv, &handled);
  if (handled) return mesh_status;
  Options options;
  int status = ParseOptions(argc, argv, &options);
  if (status >= 0) return status;
  if (!options.headless && !HasDisplay()) {
    std::fputs("vornel: no display found; run with --headless\n", stderr);
    return 2;
  }
  RegisterResources();
  std::string error;
  status = InitBackend(options.headless ? BackendKind::kHeadless : BackendKind::kQt, options.script, &error);
  if (status != 0) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return status;
  }
  // Headless without a script nobody would ever close the window: the
  // backend closes it once the loop first waits, so the bench starts,
  // shows its splash and shuts down normally.
  status = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW);
  ShutdownBackend();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  int status = Run(argc, argv);
  DestroyEngineAtExit();
  return status;
}
