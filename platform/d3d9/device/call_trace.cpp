// The call trace, fault queue, device-loss switch and object bookkeeping
// behind test_hooks.h, and the argument texts of the trace.
#include "platform/d3d9/device/call_trace.h"

#include <deque>
#include <map>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/test_hooks.h"

namespace d3d9_impl {

bool g_trace_on = false;
bool g_hooks_active = false;

namespace {

struct HookState {
  std::vector<d3d9_hooks::CallRecord> trace;
  std::map<std::string, std::deque<HRESULT>> faults;
  int queued = 0;
  LossState loss;
  int live_objects = 0;
  int next_serial[16] = {};
};

HookState& State() {
  static HookState s;
  return s;
}

void UpdateActive() { g_hooks_active = g_trace_on || State().queued > 0; }

int KindSlot(const char* kind) {
  static const char* const kKinds[] = {"Direct3D", "Device", "Texture", "Surface", "VertexBuffer",
                                       "IndexBuffer", "VertexDeclaration", "VertexShader"};
  for (int i = 0; i < 8; ++i)
    if (std::string(kKinds[i]) == kind) return i;
  return 15;
}

std::string Number(long long v) { return std::to_string(v); }

}  // namespace

ObjectIdentity::ObjectIdentity(const char* kind) : kind_(kind) {
  serial_ = ++State().next_serial[KindSlot(kind)];
  ++State().live_objects;
}

ObjectIdentity::~ObjectIdentity() { --State().live_objects; }

int LiveObjects() { return State().live_objects; }

LossState& Loss() { return State().loss; }

void RecordCall(const char* method, std::string args, HRESULT result) {
  if (!g_trace_on) return;
  State().trace.push_back({method, std::move(args), result});
}

void TraceRefCount(const char* method, const ObjectIdentity* object, ULONG count) {
  if (!g_trace_on) return;
  State().trace.push_back({method, ObjectText(object, object), static_cast<HRESULT>(count)});
}

bool TakeFault(const char* method, HRESULT* result) {
  HookState& s = State();
  if (s.queued == 0) return false;
  auto it = s.faults.find(method);
  if (it == s.faults.end() || it->second.empty()) return false;
  *result = it->second.front();
  it->second.pop_front();
  --s.queued;
  UpdateActive();
  return true;
}

// ---------------------------------------------------------------------------
// Argument texts
// ---------------------------------------------------------------------------

std::string ObjectText(const void* object, const ObjectIdentity* identity) {
  if (!object) return "NULL";
  if (!identity) return "ptr";
  return std::string(identity->Kind()) + "#" + Number(identity->Serial());
}

std::string StructText(const RECT* r) {
  return "{" + Number(r->left) + "," + Number(r->top) + "," + Number(r->right) + "," + Number(r->bottom) + "}";
}

std::string StructText(const D3DRECT* r) {
  return "{" + Number(r->x1) + "," + Number(r->y1) + "," + Number(r->x2) + "," + Number(r->y2) + "}";
}

std::string StructText(const POINT* p) { return "{" + Number(p->x) + "," + Number(p->y) + "}"; }

std::string StructText(const D3DVIEWPORT9* v) {
  return "{" + Number(v->X) + "," + Number(v->Y) + "," + Number(v->Width) + "," + Number(v->Height) + "," +
         ArgText(v->MinZ) + "," + ArgText(v->MaxZ) + "}";
}

std::string StructText(const D3DMATRIX* m) {
  std::string s = "{";
  for (int i = 0; i < 16; ++i) {
    if (i) s += ",";
    s += ArgText(m->m[i / 4][i % 4]);
  }
  return s + "}";
}

#define NAME(x) \
  case x:       \
    return #x

std::string EnumName(D3DRENDERSTATETYPE v) {
  switch (v) {
    NAME(D3DRS_ZENABLE); NAME(D3DRS_FILLMODE); NAME(D3DRS_SHADEMODE); NAME(D3DRS_ZWRITEENABLE);
    NAME(D3DRS_ALPHATESTENABLE); NAME(D3DRS_LASTPIXEL); NAME(D3DRS_SRCBLEND); NAME(D3DRS_DESTBLEND);
    NAME(D3DRS_CULLMODE); NAME(D3DRS_ZFUNC); NAME(D3DRS_ALPHAREF); NAME(D3DRS_ALPHAFUNC);
    NAME(D3DRS_DITHERENABLE); NAME(D3DRS_ALPHABLENDENABLE); NAME(D3DRS_FOGENABLE); NAME(D3DRS_SPECULARENABLE);
    NAME(D3DRS_FOGCOLOR); NAME(D3DRS_FOGTABLEMODE); NAME(D3DRS_FOGSTART); NAME(D3DRS_FOGEND);
    NAME(D3DRS_FOGDENSITY); NAME(D3DRS_RANGEFOGENABLE); NAME(D3DRS_STENCILENABLE); NAME(D3DRS_STENCILFAIL);
    NAME(D3DRS_STENCILZFAIL); NAME(D3DRS_STENCILPASS); NAME(D3DRS_STENCILFUNC); NAME(D3DRS_STENCILREF);
    NAME(D3DRS_STENCILMASK); NAME(D3DRS_STENCILWRITEMASK); NAME(D3DRS_TEXTUREFACTOR); NAME(D3DRS_WRAP0);
    NAME(D3DRS_WRAP1); NAME(D3DRS_WRAP2); NAME(D3DRS_WRAP3); NAME(D3DRS_WRAP4); NAME(D3DRS_WRAP5);
    NAME(D3DRS_WRAP6); NAME(D3DRS_WRAP7); NAME(D3DRS_CLIPPING); NAME(D3DRS_LIGHTING); NAME(D3DRS_AMBIENT);
    NAME(D3DRS_FOGVERTEXMODE); NAME(D3DRS_COLORVERTEX); NAME(D3DRS_LOCALVIEWER); NAME(D3DRS_NORMALIZENORMALS);
    NAME(D3DRS_DIFFUSEMATERIALSOURCE); NAME(D3DRS_SPECULARMATERIALSOURCE); NAME(D3DRS_AMBIENTMATERIALSOURCE);
    NAME(D3DRS_EMISSIVEMATERIALSOURCE); NAME(D3DRS_VERTEXBLEND); NAME(D3DRS_CLIPPLANEENABLE);
    NAME(D3DRS_POINTSIZE); NAME(D3DRS_POINTSIZE_MIN); NAME(D3DRS_POINTSPRITEENABLE); NAME(D3DRS_POINTSCALEENABLE);
    NAME(D3DRS_POINTSCALE_A); NAME(D3DRS_POINTSCALE_B); NAME(D3DRS_POINTSCALE_C);
    NAME(D3DRS_MULTISAMPLEANTIALIAS); NAME(D3DRS_MULTISAMPLEMASK); NAME(D3DRS_PATCHEDGESTYLE);
    NAME(D3DRS_DEBUGMONITORTOKEN); NAME(D3DRS_POINTSIZE_MAX); NAME(D3DRS_INDEXEDVERTEXBLENDENABLE);
    NAME(D3DRS_COLORWRITEENABLE); NAME(D3DRS_TWEENFACTOR); NAME(D3DRS_BLENDOP); NAME(D3DRS_POSITIONDEGREE);
    NAME(D3DRS_NORMALDEGREE); NAME(D3DRS_SCISSORTESTENABLE); NAME(D3DRS_SLOPESCALEDEPTHBIAS);
    NAME(D3DRS_ANTIALIASEDLINEENABLE); NAME(D3DRS_MINTESSELLATIONLEVEL); NAME(D3DRS_MAXTESSELLATIONLEVEL);
    NAME(D3DRS_ADAPTIVETESS_X); NAME(D3DRS_ADAPTIVETESS_Y); NAME(D3DRS_ADAPTIVETESS_Z); NAME(D3DRS_ADAPTIVETESS_W);
    NAME(D3DRS_ENABLEADAPTIVETESSELLATION); NAME(D3DRS_TWOSIDEDSTENCILMODE); NAME(D3DRS_CCW_STENCILFAIL);
    NAME(D3DRS_CCW_STENCILZFAIL); NAME(D3DRS_CCW_STENCILPASS); NAME(D3DRS_CCW_STENCILFUNC);
    NAME(D3DRS_COLORWRITEENABLE1); NAME(D3DRS_COLORWRITEENABLE2); NAME(D3DRS_COLORWRITEENABLE3);
    NAME(D3DRS_BLENDFACTOR); NAME(D3DRS_SRGBWRITEENABLE); NAME(D3DRS_DEPTHBIAS); NAME(D3DRS_WRAP8);
    NAME(D3DRS_WRAP9); NAME(D3DRS_WRAP10); NAME(D3DRS_WRAP11); NAME(D3DRS_WRAP12); NAME(D3DRS_WRAP13);
    NAME(D3DRS_WRAP14); NAME(D3DRS_WRAP15); NAME(D3DRS_SEPARATEALPHABLENDENABLE); NAME(D3DRS_SRCBLENDALPHA);
    NAME(D3DRS_DESTBLENDALPHA); NAME(D3DRS_BLENDOPALPHA);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DSAMPLERSTATETYPE v) {
  switch (v) {
    NAME(D3DSAMP_ADDRESSU); NAME(D3DSAMP_ADDRESSV); NAME(D3DSAMP_ADDRESSW); NAME(D3DSAMP_BORDERCOLOR);
    NAME(D3DSAMP_MAGFILTER); NAME(D3DSAMP_MINFILTER); NAME(D3DSAMP_MIPFILTER); NAME(D3DSAMP_MIPMAPLODBIAS);
    NAME(D3DSAMP_MAXMIPLEVEL); NAME(D3DSAMP_MAXANISOTROPY); NAME(D3DSAMP_SRGBTEXTURE); NAME(D3DSAMP_ELEMENTINDEX);
    NAME(D3DSAMP_DMAPOFFSET);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DTEXTURESTAGESTATETYPE v) {
  switch (v) {
    NAME(D3DTSS_COLOROP); NAME(D3DTSS_COLORARG1); NAME(D3DTSS_COLORARG2); NAME(D3DTSS_ALPHAOP);
    NAME(D3DTSS_ALPHAARG1); NAME(D3DTSS_ALPHAARG2); NAME(D3DTSS_BUMPENVMAT00); NAME(D3DTSS_BUMPENVMAT01);
    NAME(D3DTSS_BUMPENVMAT10); NAME(D3DTSS_BUMPENVMAT11); NAME(D3DTSS_TEXCOORDINDEX); NAME(D3DTSS_BUMPENVLSCALE);
    NAME(D3DTSS_BUMPENVLOFFSET); NAME(D3DTSS_TEXTURETRANSFORMFLAGS); NAME(D3DTSS_COLORARG0);
    NAME(D3DTSS_ALPHAARG0); NAME(D3DTSS_RESULTARG); NAME(D3DTSS_CONSTANT);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DTRANSFORMSTATETYPE v) {
  switch (static_cast<int>(v)) {
    case D3DTS_VIEW:
      return "D3DTS_VIEW";
    case D3DTS_PROJECTION:
      return "D3DTS_PROJECTION";
    case 256:
      return "D3DTS_WORLD";
    default:
      if (v >= D3DTS_TEXTURE0 && v <= D3DTS_TEXTURE7) return "D3DTS_TEXTURE" + Number(v - D3DTS_TEXTURE0);
      if (v > 256 && v < 512) return "D3DTS_WORLDMATRIX(" + Number(v - 256) + ")";
      return Number(v);
  }
}

std::string EnumName(D3DPRIMITIVETYPE v) {
  switch (v) {
    NAME(D3DPT_POINTLIST); NAME(D3DPT_LINELIST); NAME(D3DPT_LINESTRIP); NAME(D3DPT_TRIANGLELIST);
    NAME(D3DPT_TRIANGLESTRIP); NAME(D3DPT_TRIANGLEFAN);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DFORMAT v) {
  if (v == D3DFMT_UNKNOWN) return "D3DFMT_UNKNOWN";
  const char* n = d3d9_formats::FormatName(v);
  return n ? n : Number(static_cast<long long>(static_cast<DWORD>(v)));
}

std::string EnumName(D3DPOOL v) {
  switch (v) {
    NAME(D3DPOOL_DEFAULT); NAME(D3DPOOL_MANAGED); NAME(D3DPOOL_SYSTEMMEM); NAME(D3DPOOL_SCRATCH);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DDEVTYPE v) {
  switch (v) {
    NAME(D3DDEVTYPE_HAL); NAME(D3DDEVTYPE_REF); NAME(D3DDEVTYPE_SW); NAME(D3DDEVTYPE_NULLREF);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DRESOURCETYPE v) {
  switch (v) {
    NAME(D3DRTYPE_SURFACE); NAME(D3DRTYPE_VOLUME); NAME(D3DRTYPE_TEXTURE); NAME(D3DRTYPE_VOLUMETEXTURE);
    NAME(D3DRTYPE_CUBETEXTURE); NAME(D3DRTYPE_VERTEXBUFFER); NAME(D3DRTYPE_INDEXBUFFER);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DBACKBUFFER_TYPE v) {
  switch (v) {
    NAME(D3DBACKBUFFER_TYPE_MONO); NAME(D3DBACKBUFFER_TYPE_LEFT); NAME(D3DBACKBUFFER_TYPE_RIGHT);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DTEXTUREFILTERTYPE v) {
  switch (v) {
    NAME(D3DTEXF_NONE); NAME(D3DTEXF_POINT); NAME(D3DTEXF_LINEAR); NAME(D3DTEXF_ANISOTROPIC);
    NAME(D3DTEXF_PYRAMIDALQUAD); NAME(D3DTEXF_GAUSSIANQUAD); NAME(D3DTEXF_CONVOLUTIONMONO);
    default:
      return Number(v);
  }
}

std::string EnumName(D3DMULTISAMPLE_TYPE v) {
  if (v == D3DMULTISAMPLE_NONE) return "D3DMULTISAMPLE_NONE";
  if (v == D3DMULTISAMPLE_NONMASKABLE) return "D3DMULTISAMPLE_NONMASKABLE";
  return Number(v);
}
#undef NAME

}  // namespace d3d9_impl

// ---------------------------------------------------------------------------
// The public hooks
// ---------------------------------------------------------------------------

namespace d3d9_hooks {

using d3d9_impl::State;

void SetCallTrace(bool on) {
  d3d9_impl::g_trace_on = on;
  d3d9_impl::UpdateActive();
}

bool CallTraceOn() { return d3d9_impl::g_trace_on; }

std::vector<CallRecord> CallTrace() { return State().trace; }

std::vector<std::string> CallTraceTexts() {
  std::vector<std::string> out;
  out.reserve(State().trace.size());
  for (const CallRecord& r : State().trace) out.push_back(r.Text());
  return out;
}

std::size_t CallCount(const std::string& method) {
  std::size_t n = 0;
  for (const CallRecord& r : State().trace)
    if (r.method == method) ++n;
  return n;
}

void ClearCallTrace() { State().trace.clear(); }

void FailNextCalls(const std::string& method, HRESULT result, int count) {
  for (int i = 0; i < count; ++i) {
    State().faults[method].push_back(result);
    ++State().queued;
  }
  d3d9_impl::UpdateActive();
}

int PendingFaults(const std::string& method) {
  auto it = State().faults.find(method);
  return it == State().faults.end() ? 0 : static_cast<int>(it->second.size());
}

void ClearFaults() {
  State().faults.clear();
  State().queued = 0;
  d3d9_impl::UpdateActive();
}

void SimulateDeviceLost(int lost_checks) {
  State().loss.lost = true;
  State().loss.lost_checks_left = lost_checks < 0 ? 0 : lost_checks;
}

bool DeviceLost() { return State().loss.lost; }

int LiveObjectCount() { return State().live_objects; }

void ResetAll() {
  SetCallTrace(false);
  ClearCallTrace();
  ClearFaults();
  State().loss = {};
  RestoreDefaultDisplayModes();
  SetWorkerThread(true);
}

}  // namespace d3d9_hooks
