// ColourCounter: the per-test colour that steps through a 64 x 64 x 64
// cube, one step per primitive.
#pragma once

struct CounterColour {
  float r, g, b, a;
};

class ColourCounter {
 public:
  // The colour of the next primitive; the counter moves on by one.
  CounterColour Next() {
    const unsigned c = count_++;
    return {static_cast<float>(c & 63) / 64.0f, static_cast<float>((c >> 6) & 63) / 64.0f,
            static_cast<float>((c >> 12) & 63) / 64.0f, 1.0f};
  }
  unsigned count() const { return count_; }

 private:
  unsigned count_ = 0;  // never reset: colours go on where the last frame stopped
};
