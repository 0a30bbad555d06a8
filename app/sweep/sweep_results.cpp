// Derived values of a sweep's rows and facts.
#include "app/sweep/sweep_results.h"

double MedianPrimitivesPerSecond(const SweepRow& row) {
  return row.stats.valid ? row.stats.median * row.calls : 0.0;
}

std::string DisplayPath(const std::string& menuPath) {
  std::string path = menuPath;
  const std::string root = "&Tests/";
  if (path.rfind(root, 0) == 0) path.erase(0, root.size());
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    // "&&" is a literal ampersand; a single "&" marks the mnemonic.
    if (path[i] == '&' && i + 1 < path.size() && path[i + 1] == '&') {
      out += '&';
      ++i;
    } else if (path[i] != '&') {
      out += path[i];
    }
  }
  return out;
}

std::string FactValue(const SweepResults& results, const std::string& key) {
  for (const auto& [k, v] : results.facts)
    if (k == key) return v;
  return "";
}
