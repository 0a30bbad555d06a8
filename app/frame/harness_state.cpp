// The harness's global records.
#include "app/frame/harness_state.h"

#include "engine/render/render_list.h"

HarnessState g_Harness;
Render g_SharedRender{};
