// The one-frame Render record of the Random-mode list tests.
#include "app/cases/2d/local_render.h"

#include <algorithm>

LocalRender::LocalRender(bool screen, int capacity, Vorn* engine) {
  capacity = std::clamp(capacity, 1, kMaxListVertices);
  record_.engine = engine;
  if (screen) {
    record_.maxScreen = capacity;
    record_.vertsScreen = new VertexScreen[capacity + 1]();
  } else {
    record_.max2D = capacity;
    record_.verts2D = new Vertex2D[capacity + 1]();
  }
}
