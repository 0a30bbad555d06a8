// The level choice of an untextured or magnified primitive.
#include "platform/d3d9/raster/texture_lod.h"

namespace d3d9_impl {

LevelChoice NoLevelChoice(const DrawContext& dc) {
  return LevelChoice{&dc.levels[0], &dc.levels[0], 0, false, 1, 0.f, 0.f};
}

}  // namespace d3d9_impl
