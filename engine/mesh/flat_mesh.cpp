// FLATVNMesh: loading a static mesh from an X file, adapting its materials
// and finding each material's texture (tree, prop and ordinary textures
// each have their own search), and releasing it again.
#include "engine/mesh/flat_mesh.h"

#include <cstdio>
#include <cstring>

#include "engine/d3d9/com_helpers.h"
#include "engine/mesh/path_parts.h"
#include "engine/vorn.h"
#include "log/event_log.h"

char g_TreeTextureFolder[260] = "Bitmaps\\TREES\\";

void SetTreeTextureFolder(const char* folder) {
  std::snprintf(g_TreeTextureFolder, sizeof g_TreeTextureFolder, "%s", folder ? folder : "");
}

namespace {

enum class TextureKind { Tree, Prop, Ordinary };

// Only the first letter is compared without regard to case.
TextureKind Classify(const char* name) {
  if ((name[0] == 'T' || name[0] == 't') && std::strncmp(name + 1, "ree", 3) == 0) return TextureKind::Tree;
  if ((name[0] == 'p' || name[0] == 'P') && std::strncmp(name + 1, "rop", 3) == 0) return TextureKind::Prop;
  return TextureKind::Ordinary;
}

}  // namespace

FLATVNMesh::FLATVNMesh() = default;

FLATVNMesh::~FLATVNMesh() { FLATRelease(); }

void FLATVNMesh::FLATRelease() {
  delete[] m_pMaterials;
  m_pMaterials = nullptr;
  if (m_ppTextures) {
    for (DWORD i = 0; i < m_NumMaterials; ++i) SafeRelease(m_ppTextures[i]);
    delete[] m_ppTextures;
    m_ppTextures = nullptr;
  }
  SafeRelease(m_pMesh);
  m_NumMaterials = 0;
  m_pD3DXMaterials = nullptr;
  SafeRelease(m_pMaterialBuffer);
}

bool FLATVNMesh::FLATLoadTexturemask(const char* path, int index) {
  if (index < 0 || static_cast<DWORD>(index) >= m_NumMaterials || !m_ppTextures) {
    LogString("!: FLATLoadTexturemask(%s) has an invalid index!", path ? path : "");
    LogInt("!: The index is %d", index);
    return true;
  }
  SafeRelease(m_ppTextures[index]);
  IDirect3DDevice9* device = m_pEngine ? m_pEngine->m_pD3DDevice : nullptr;
  HRESULT hr = D3DXCreateTextureFromFileExA(device, path, D3DX_DEFAULT, D3DX_DEFAULT,
                                            m_pEngine ? m_pEngine->m_MipLevels : 0, 0, D3DFMT_UNKNOWN,
                                            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                            m_pEngine ? m_pEngine->m_ColourKey : 0, nullptr, nullptr,
                                            &m_ppTextures[index]);
  if (hr == S_OK) return false;
  m_ppTextures[index] = nullptr;
  LogString("#: Failed to load Flatmask %s", path ? path : "");
  return true;
}

void FLATVNMesh::FLATLoad(const char* path) {
  if (!path) path = "";
  LogString("S: FLATVNMesh::FLATLoad(%s)", path);
  // A reload passes m_szFileName itself; keep our own copy of the path.
  char file[sizeof m_szFileName];
  std::snprintf(file, sizeof file, "%s", path);
  std::snprintf(m_szFileName, sizeof m_szFileName, "%s", file);
  FLATRelease();

  IDirect3DDevice9* device = m_pEngine ? m_pEngine->m_pD3DDevice : nullptr;
  HRESULT hr = D3DXLoadMeshFromXA(file, D3DXMESH_SYSTEMMEM, device, nullptr, &m_pMaterialBuffer, nullptr,
                                  &m_NumMaterials, &m_pMesh);
  if (FAILED(hr)) {
    m_bLoaded = false;
    m_NumMaterials = 0;
    LogString("E: FLATVNMesh::FLATLoad(%s) Failed to load mesh!!!!", file);
    return;
  }
  m_bLoaded = true;
  if (!m_pMaterialBuffer) m_NumMaterials = 0;
  m_pD3DXMaterials = m_pMaterialBuffer ? static_cast<D3DXMATERIAL*>(m_pMaterialBuffer->GetBufferPointer()) : nullptr;
  m_pMaterials = new D3DMATERIAL9[m_NumMaterials ? m_NumMaterials : 1];
  m_ppTextures = new IDirect3DTexture9*[m_NumMaterials ? m_NumMaterials : 1]();

  // The mesh's folder, backslash included; a path without one names a file
  // of the current folder.
  const char* slash = std::strrchr(file, '\\');
  const int folderLength = slash ? static_cast<int>(slash - file) + 1 : 0;

  for (DWORD i = 0; i < m_NumMaterials; ++i) {
    D3DMATERIAL9& m = m_pMaterials[i];
    m = m_pD3DXMaterials[i].MatD3D;
    m.Ambient.r = m.Diffuse.r * 0.4f;
    m.Ambient.g = m.Diffuse.g * 0.4f;
    m.Ambient.b = m.Diffuse.b * 0.4f;
    m.Ambient.a = m.Diffuse.a;
    m.Power = 20.0f;

    const char* name = m_pD3DXMaterials[i].pTextureFilename;
    if (!name) {
      LogInt("No mesh texture name for this material (index=%d)", static_cast<int>(i));
      continue;
    }
    LogString("Preparing to load texture\n%s", name);
    char local[1024];
    std::snprintf(local, sizeof local, "%.*s%s", folderLength, file, name);

    switch (Classify(name)) {
      case TextureKind::Tree: {
        LogString("Mesh texture filename suggests it's a Tree.\n%s", local);
        if (!FLATLoadTexturemask(local, static_cast<int>(i))) break;
        LogString("#: Did not find TREE texture %s in this meshs' default Bitmaps folder.", name);
        // Without a global folder there is no second place to look.
        const bool failed = g_TreeTextureFolder[0] == '\0' ||
                            FLATLoadTexturemask(JoinPath(g_TreeTextureFolder, name), static_cast<int>(i));
        if (failed)
          LogString("!: Failed to load TREE %s from global Bitmaps\\TREES folder.", name);
        else
          LogString("Tree Bitmap Found as %s", JoinPath(g_TreeTextureFolder, name));
        break;
      }
      case TextureKind::Prop: {
        LogString("Mesh texture filename suggests it's a Prop.\n%s", local);
        if (!FLATLoadTexturemask(local, static_cast<int>(i))) break;
        PathParts parts;
        SplitPath(parts, local);
        LogString("Failed to load mesh texture (%s) trying other folder", name);
        char other[1024];
        BitmapsPath(other, sizeof other, ParentFolder(parts.Folder, parts), parts.Title, parts.Extension);
        LogString("New filename (%s)", other);
        LogString("#: Did not find PROP texture %s in this meshs' default Bitmaps folder.", name);
        if (FLATLoadTexturemask(other, static_cast<int>(i)))
          LogString("!: Failed to load PROP %s from global Bitmaps\\PROPS folder.", name);
        else
          LogString("Prop Bitmap Found as %s", other);
        break;
      }
      case TextureKind::Ordinary: {
        LogString("Mesh texture filename is not a tree texture\n%s", local);
        if (SUCCEEDED(D3DXCreateTextureFromFileA(device, local, &m_ppTextures[i]))) break;
        m_ppTextures[i] = nullptr;
        PathParts parts;
        SplitPath(parts, local);
        LogString("Failed to load mesh texture (%s) trying other folder", name);
        char other[1024];
        BitmapsPath(other, sizeof other, ParentFolder(parts.Folder, parts), parts.Title, parts.Extension);
        LogString("New filename (%s)", other);
        if (FAILED(D3DXCreateTextureFromFileA(device, other, &m_ppTextures[i]))) {
          LogText("#: Failed to load.");
          m_ppTextures[i] = nullptr;
        }
        break;
      }
    }
  }
  SafeRelease(m_pMaterialBuffer);
  m_pD3DXMaterials = nullptr;
  LogText("E: FLATVNMesh::FLATLoad()");
}
