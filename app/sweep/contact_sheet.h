// contact.png: the first frames of a sweep's tests as labelled thumbnails
// on one sheet, read back from their PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ContactItem {
  std::string picture;  // the frame's PNG file
  std::string title;    // first label line: the test
  std::string detail;   // second label line: calls and mode
};

struct ContactSheetLayout {
  int thumbWidth = 256;
  int thumbHeight = 192;
  int columns = 6;
};

// A picture in memory: X8R8G8B8, rows top-down.
struct SheetPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Scales a picture down (or up) to fit w x h keeping its shape, averaging
// the source pixels each target pixel covers.
SheetPixels FitPicture(const std::uint32_t* argb, int width, int height, int w, int h);

// The sheet: a heading, then one cell per item in rows of `columns`; a
// frame that cannot be read shows as a grey box saying so.
SheetPixels ComposeContactSheet(const std::string& heading, const std::vector<ContactItem>& items,
                                ContactSheetLayout layout = {});

bool WriteContactSheet(const std::string& path, const std::string& heading, const std::vector<ContactItem>& items,
                       std::string* error);
