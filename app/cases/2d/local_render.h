// LocalRender: a Render record that lives for one frame of a Random-mode
// test, its 2D or screen list sized by the caller and freed at the end.
#pragma once

#include "engine/render/render_list.h"

class Vorn;

class LocalRender {
 public:
  // A list of `capacity` vertices (capacity + 1 zeroed records) in the 2D
  // list, or in the screen list when `screen` is set; `engine` converts
  // relative screen coordinates.
  LocalRender(bool screen, int capacity, Vorn* engine);
  ~LocalRender() { record_.Free(); }
  LocalRender(const LocalRender&) = delete;
  LocalRender& operator=(const LocalRender&) = delete;

  Render& get() { return record_; }

 private:
  Render record_{};
};

// The most vertices a list may hold and still fit the engine's vertex
// buffers in one lock.
constexpr int kMaxListVertices = 16383;
