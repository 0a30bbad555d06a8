// Maintenance of Render records: clearing, the 3D allocation, freeing.
#include "engine/render/render_list.h"

void Render::Clear2D() {
  if (verts2D)
    for (int i = 0; i <= max2D; ++i) {
      Vertex2D& v = verts2D[i];
      v.x = v.y = v.z = v.u = v.v = 0.0f;
      v.colour = 0;
    }
  count2D = 0;
}

void Render::ClearScreenList() {
  if (vertsScreen)
    for (int i = 0; i <= maxScreen; ++i) {
      VertexScreen& v = vertsScreen[i];
      v.x = v.y = v.z = v.u = v.v = 0.0f;  // rhw is left as it is
      v.colour = 0;
    }
  countScreen = 0;
}

void Render::Clear3D() {
  if (verts3D)
    for (int i = 0; i <= max3D; ++i) {
      Vertex3D& v = verts3D[i];
      v.x = v.y = v.z = v.nx = v.ny = v.nz = v.u = v.v = 0.0f;
      v.diffuse = 0;
      v.specular = 0xFFFFFFFF;
    }
  count3D = 0;
}

void Render::Allocate3D() {
  max3D = 16380;
  delete[] verts3D;
  verts3D = new Vertex3D[16381]();
  count3D = 0;
}

void Render::Free() {
  delete[] verts2D;
  delete[] verts3D;
  delete[] vertsScreen;
  verts2D = nullptr;
  verts3D = nullptr;
  vertsScreen = nullptr;
  engine = nullptr;
}
