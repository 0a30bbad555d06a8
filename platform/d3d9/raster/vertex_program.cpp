// Registration of vertex programs and the token streams that name them:
// vs_1_1 version token, a two-word comment ('VPRG', program number), end.
#include <deque>
#include <mutex>

#include "platform/d3d9/raster/vertex_program_registry.h"

namespace d3d9_impl {
namespace {

constexpr DWORD kVersion = 0xFFFE0101u;  // vs_1_1
constexpr DWORD kComment = 0x0000FFFEu | (2u << 16);
constexpr DWORD kTag = 0x47525056u;  // 'VPRG'
constexpr DWORD kEnd = 0x0000FFFFu;

struct Entry {
  DWORD tokens[kVertexProgramTokens];
  std::shared_ptr<const VertexProgramData> data;
};

struct Registry {
  std::mutex mutex;
  std::deque<Entry> entries;  // a deque keeps the token arrays in place
};

Registry& TheRegistry() {
  static Registry r;
  return r;
}

}  // namespace

std::shared_ptr<const VertexProgramData> FindVertexProgram(const DWORD* t) {
  if (!t || t[0] != kVersion || t[1] != kComment || t[2] != kTag || t[4] != kEnd) return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (t[3] >= r.entries.size()) return nullptr;
  return r.entries[t[3]].data;
}

}  // namespace d3d9_impl

namespace d3d9_program {

const DWORD* RegisterVertexProgram(VertexFunction fn) {
  using namespace d3d9_impl;
  if (!fn) return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const DWORD id = static_cast<DWORD>(r.entries.size());
  auto data = std::make_shared<VertexProgramData>();
  data->fn = std::move(fn);
  r.entries.push_back({{kVersion, kComment, kTag, id, kEnd}, std::move(data)});
  return r.entries.back().tokens;
}

bool IsVertexProgram(const DWORD* tokens) { return d3d9_impl::FindVertexProgram(tokens) != nullptr; }

}  // namespace d3d9_program
