// The engine object, constructed during static initialisation with the
// application name (its constructor writes the first log entry and so
// creates the event log) and destroyed before the platform's own records
// that its destructor still uses: it lives in storage of its own, and its
// destruction is registered with atexit as main's last act, so it runs
// first among the exit-time destructors.
#include "app/frame/engine_instance.h"

#include <cstdlib>
#include <new>

#include "engine/vorn.h"

namespace {

alignas(Vorn) unsigned char g_EngineStorage[sizeof(Vorn)];

void DestroyEngine() { reinterpret_cast<Vorn*>(g_EngineStorage)->~Vorn(); }

}  // namespace

Vorn& g_Engine = *new (g_EngineStorage) Vorn(kApplicationName);

void DestroyEngineAtExit() { std::atexit(DestroyEngine); }
