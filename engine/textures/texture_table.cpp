// The texture table: sizing it, loading picture files into its slots with
// the engine's creation settings, and releasing slots.
#include <cstdio>

#include "engine/d3d9/com_helpers.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/message_box.h"

namespace {

constexpr int kTableSize = 10;
constexpr int kWorkingSlot = 6;
constexpr int kDefaultBitmapSize = 48;

constexpr const char* kDefaultBitmap = "bitmaps\\grass.jpg";

}  // namespace

const char* g_WorkingTextureFile = "pic5.bmp";

void Vorn::TextureBuffers() {
  LogText("S: Vorn::TextureBuffers()");
  if (m_nTextures == kTableSize) {
    LogText("E: Vorn::TextureBuffers");
    return;
  }
  LogInt("Vorn::TextureBuffers() - Texture buffers resizing to (%d)", kTableSize);
  if (m_pTextures) {
    for (int i = 0; i < m_nTextures; ++i) SafeRelease(m_pTextures[i]);
    delete[] m_pTextures;
  }
  m_nTextures = kTableSize;
  m_pTextures = new IDirect3DTexture9*[kTableSize]();
  LogText("E: Vorn::TextureBuffers");
}

bool Vorn::LoadTexture(const char* file, int index) {
  return LoadTexture(file, index, static_cast<int>(D3DX_DEFAULT), static_cast<int>(D3DX_DEFAULT));
}

bool Vorn::LoadTexture(const char* file, int index, int width, int height) {
  std::snprintf(m_szCaption, sizeof m_szCaption, "%s", "Vornel::LoadTexture(char *file,int index)");
  if (index < 0 || index >= m_nTextures || !m_pTextures) {
    LogInt("!: Texture index out of range : %d", index);
    return true;
  }
  if (m_pTextures[index]) {
    char text[64];
    std::snprintf(text, sizeof text, "Texture %d already assigned.", index);
    LogText(text);
    if (g_LoadAlertAnswer == IDRETRY)
      g_LoadAlertAnswer = MessageBoxA(m_hwnd, text, m_szCaption, MB_RETRYCANCEL | MB_ICONEXCLAMATION);
    return true;
  }
  HRESULT hr = D3DXCreateTextureFromFileExA(
      m_pD3DDevice, file, static_cast<UINT>(width), static_cast<UINT>(height), m_MipLevels,
      m_TextureUsage, static_cast<D3DFORMAT>(m_TextureFormat), static_cast<D3DPOOL>(m_TexturePool),
      D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &m_pTextures[index]);
  if (SUCCEEDED(hr)) return false;
  m_pTextures[index] = nullptr;
  const char* name = file ? file : "(null)";
  if (hr == D3DERR_OUTOFVIDEOMEMORY)
    LogString("LoadTexture(%s) OUTOFVIDMEM", name);
  else if (hr == E_OUTOFMEMORY)
    LogString("LoadTexture(%s) OUTOFMEMORY", name);
  else if (hr == D3DERR_NOTAVAILABLE)
    LogString("LoadTexture(%s) NOT AVAILABLE", name);
  else if (hr == D3DERR_INVALIDCALL)
    LogString("LoadTexture(%s) INVALIDCALL", name);
  else if (hr == D3DXERR_INVALIDDATA)
    LogString("LoadTexture(%s) INVALIDDATA", name);
  return true;
}

// The working texture's default bitmap, at 48 x 48. The first try is a bare
// D3DX load with the engine's creation settings, not the checked load above:
// it leaves the caption alone and writes no load-failure line. Each load goes
// into a local pointer and replaces slot 6 only on success, so a texture a
// caller forgot to release is not leaked.
bool Vorn::LoadTexture() {
  if (!m_pTextures || m_nTextures <= kWorkingSlot) return true;
  IDirect3DTexture9* texture = nullptr;
  HRESULT hr = D3DXCreateTextureFromFileExA(
      m_pD3DDevice, g_WorkingTextureFile, kDefaultBitmapSize, kDefaultBitmapSize, m_MipLevels,
      m_TextureUsage, static_cast<D3DFORMAT>(m_TextureFormat), static_cast<D3DPOOL>(m_TexturePool),
      D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
  if (SUCCEEDED(hr) && texture) {
    SafeRelease(m_pTextures[kWorkingSlot]);
    m_pTextures[kWorkingSlot] = texture;
    return false;
  }
  g_WorkingTextureFile = kDefaultBitmap;
  LogString("Loading default bitmap!!! Vorn::LoadTexture(%s,int,rez)", g_WorkingTextureFile);
  texture = nullptr;
  hr = D3DXCreateTextureFromFileExA(m_pD3DDevice, kDefaultBitmap, kDefaultBitmapSize,
                                    kDefaultBitmapSize, m_MipLevels, 0, D3DFMT_R3G3B2,
                                    D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                    nullptr, &texture);
  if (SUCCEEDED(hr) && texture) {
    SafeRelease(m_pTextures[kWorkingSlot]);
    m_pTextures[kWorkingSlot] = texture;
  }
  return true;
}

void Vorn::ReleaseTexture(int index) {
  if (index < 0 || index >= m_nTextures || !m_pTextures) return;
  SafeRelease(m_pTextures[index]);
}
