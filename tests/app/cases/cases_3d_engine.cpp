// The engine object of the app test executable: storage that the fixtures
// construct an engine in for each test, so that the harness code reaching
// for g_Engine finds the one the test started.
#include "tests/app/cases/cases_3d_fixture.h"

#include <new>

namespace {

alignas(Vorn) unsigned char g_Storage[sizeof(Vorn)];
bool g_Constructed = false;

}  // namespace

Vorn& g_Engine = *reinterpret_cast<Vorn*>(g_Storage);

namespace app_test {

Vorn& ConstructEngine() {
  DestroyEngine();
  new (g_Storage) Vorn("Vornel Tests V0.5");
  g_Constructed = true;
  return g_Engine;
}

void DestroyEngine() {
  if (!g_Constructed) return;
  g_Engine.~Vorn();
  g_Constructed = false;
}

}  // namespace app_test
