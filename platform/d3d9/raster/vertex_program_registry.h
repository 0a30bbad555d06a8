// The registry behind d3d9_program::RegisterVertexProgram: token streams to
// the functions they name.
#pragma once

#include <memory>

#include "platform/d3d9/vertex_program.h"

namespace d3d9_impl {

struct VertexProgramData {
  d3d9_program::VertexFunction fn;
};

// The program a token stream names, or null.
std::shared_ptr<const VertexProgramData> FindVertexProgram(const DWORD* tokens);
// Tokens in a registered stream, end token included.
constexpr unsigned kVertexProgramTokens = 5;

}  // namespace d3d9_impl
