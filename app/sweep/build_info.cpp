// The build's compiler, flags, type and commit, fixed when this file was
// compiled.
#include "app/sweep/build_info.h"

#if __has_include("app/sweep/build_commit.h")
#include "app/sweep/build_commit.h"
#endif

#ifndef VORNEL_BUILD_COMMIT
#define VORNEL_BUILD_COMMIT "unknown"
#endif
#ifndef VORNEL_BUILD_TYPE
#define VORNEL_BUILD_TYPE "unknown"
#endif
#ifndef VORNEL_CXX_FLAGS
#define VORNEL_CXX_FLAGS "unknown"
#endif

BuildInfo ThisBuild() {
  BuildInfo b;
#if defined(__clang__)
  b.compiler = "Clang " __clang_version__;
#elif defined(__GNUC__)
  b.compiler = "GCC " __VERSION__;
#else
  b.compiler = "unknown compiler";
#endif
  while (!b.compiler.empty() && b.compiler.back() == ' ') b.compiler.pop_back();
  b.flags = VORNEL_CXX_FLAGS;
  b.buildType = VORNEL_BUILD_TYPE;
  b.commit = VORNEL_BUILD_COMMIT;
  return b;
}
