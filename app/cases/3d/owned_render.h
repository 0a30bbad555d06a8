// A Render record owned by one test for the whole run: zeroed at start and
// its arrays freed at program end.
#pragma once

#include "engine/render/render_list.h"

struct OwnedRender {
  Render list{};
  OwnedRender() = default;
  OwnedRender(const OwnedRender&) = delete;
  OwnedRender& operator=(const OwnedRender&) = delete;
  ~OwnedRender() { list.Free(); }
};
