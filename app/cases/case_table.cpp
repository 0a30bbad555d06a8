// TestTable: the rows of the test groups merged in ascending id order.
#include "app/cases/case_table.h"

#include <algorithm>
#include <vector>

namespace {

const std::vector<TestEntry>& Rows() {
  static const std::vector<TestEntry> rows = [] {
    std::vector<TestEntry> all;
    for (const TestEntry& e : TestRows2D()) all.push_back(e);
    for (const TestEntry& e : TestRows3D()) all.push_back(e);
    std::sort(all.begin(), all.end(), [](const TestEntry& a, const TestEntry& b) { return a.id < b.id; });
    return all;
  }();
  return rows;
}

}  // namespace

std::span<const TestEntry> TestTable() { return Rows(); }

TestFunction FindTest(UINT id) {
  const std::vector<TestEntry>& rows = Rows();
  auto it = std::lower_bound(rows.begin(), rows.end(), id, [](const TestEntry& e, UINT v) { return e.id < v; });
  return it != rows.end() && it->id == id ? it->run : nullptr;
}
