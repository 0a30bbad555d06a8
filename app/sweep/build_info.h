// What this program was built with: compiler, flags, build type and the
// source commit, for the header of a sweep's results.
#pragma once

#include <string>

struct BuildInfo {
  std::string compiler;   // "GCC 12.2.0"
  std::string flags;      // the C++ flags of the build type
  std::string buildType;  // "RelWithDebInfo"
  std::string commit;     // "354dea3c1a2b-dirty", or "unknown"
};

BuildInfo ThisBuild();
