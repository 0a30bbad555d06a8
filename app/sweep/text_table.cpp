// Laying out a plain-text table.
#include "app/sweep/text_table.h"

#include <algorithm>

namespace {

// Width on the terminal: UTF-8 continuation bytes take no column.
std::size_t Columns(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

TextTable::TextTable(std::vector<std::string> header, std::vector<bool> rightAligned)
    : header_(std::move(header)), right_(std::move(rightAligned)) {
  right_.resize(header_.size(), false);
}

void TextTable::AddRow(std::vector<std::string> cells) {
  cells.resize(header_.size());
  rows_.push_back(std::move(cells));
}

std::string TextTable::Format() const {
  std::vector<std::size_t> width(header_.size());
  for (std::size_t c = 0; c < header_.size(); ++c) {
    width[c] = Columns(header_[c]);
    for (const auto& row : rows_) width[c] = std::max(width[c], Columns(row[c]));
  }
  auto line = [&](const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      std::string pad(width[c] - Columns(cells[c]), ' ');
      std::string cell = right_[c] ? pad + cells[c] : cells[c] + (c + 1 < cells.size() ? pad : "");
      out += (c ? "  " : "") + cell;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = line(header_);
  std::size_t total = 0;
  for (std::size_t c = 0; c < width.size(); ++c) total += width[c] + (c ? 2 : 0);
  out += std::string(total, '-') + "\n";
  for (const auto& row : rows_) out += line(row);
  return out;
}
