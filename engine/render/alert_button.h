// The push buttons of the in-scene alert box.
#pragma once

struct AlertButton {
  bool pressed;
  float column, row;     // position in text cells: left edge, text row
  float width, height;   // size in text cells
  float colour[4];       // face colour r, g, b, a
  char label[44];        // written with "%-39s"
};

struct AlertButtonList {
  AlertButton* buttons;
  int count;
};
