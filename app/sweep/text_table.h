// Plain-text tables for the terminal: columns padded to their widest cell,
// numbers right-aligned.
#pragma once

#include <string>
#include <vector>

class TextTable {
 public:
  // `rightAligned[i]` says whether column i holds numbers.
  TextTable(std::vector<std::string> header, std::vector<bool> rightAligned);
  void AddRow(std::vector<std::string> cells);
  // The header, a rule of dashes and the rows, each line ended by "\n".
  std::string Format() const;

 private:
  std::vector<std::string> header_;
  std::vector<bool> right_;
  std::vector<std::vector<std::string>> rows_;
};
