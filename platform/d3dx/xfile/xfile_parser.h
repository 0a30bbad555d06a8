// Reading a text X file into a tree of data objects: each object keeps its
// template name, its own name, its numbers and strings in file order, and
// its child objects (inline ones and references by name).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace d3dx_xfile {

struct DataObject {
  std::string type;       // the template name: "Mesh", "Frame", ...; empty for a reference
  std::string name;       // the object's own name, or the referenced name
  bool reference = false; // a "{ Name }" standing for an object named elsewhere
  std::vector<double> numbers;
  std::vector<std::string> strings;
  std::vector<DataObject> children;
};

struct Document {
  std::vector<DataObject> objects;  // the top-level data objects in order
  // The named object a reference stands for (searched depth first from the
  // top), or null.
  const DataObject* Find(const std::string& name) const;
  // `o` itself, or for a reference the object it names (null when none).
  const DataObject* Resolve(const DataObject& o) const;
};

// Parses a whole file. False for anything that is not a well-formed text X
// file: a bad header, a binary or compressed file, unbalanced braces, a bad
// token, nesting deeper than a sane limit.
bool ParseDocument(const char* data, std::size_t size, Document* out);

}  // namespace d3dx_xfile
