#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "viewer/core/viewer_types.h"

namespace kest {

class ComponentReader;
class ComponentWriter;
class TLayoutReader;
class TLogViewerColumn;

// A column's pen as the properties "Pen.Color", "Pen.Style", "Pen.Width" ("Pen.Mode"
// is read and ignored). Written only where they differ from a black solid pen one
// pixel wide; ReadPenProperty is false when `name` is not one of them.
void WritePenProperties(ComponentWriter& out, const TPen& pen);
bool ReadPenProperty(const std::string& name, TLayoutReader& in, TPen& pen);

// Reads property values of a layout for the columns. A value of the wrong type is
// reported and skipped, so one bad property never stops the load; column
// references are collected and resolved when the whole stream has been read.
class TLayoutReader {
 public:
  enum Slot { kFather, kLSon, kRLink };
  struct Link {
    TLogViewerColumn* Column;
    Slot Which;
    std::string Name;  // empty for nil
  };

  TLayoutReader(ComponentReader& in, std::function<void(const std::string&)> error)
      : in_(in), error_(std::move(error)) {}

  void SetProperty(std::string name) { property_ = std::move(name); }
  bool Integer(int32_t& value);
  bool Float(double& value);
  bool Boolean(bool& value);
  bool String(std::string& value);
  bool Ident(std::string& value);
  bool Set(std::vector<std::string>& value);
  bool Color(TColor& value);
  void Reference(TLogViewerColumn* column, Slot which);
  void Skip();
  void Error(const std::string& message) { error_(message); }

  std::vector<Link>& References() { return references_; }

 private:
  bool Mismatch();

  ComponentReader& in_;
  std::function<void(const std::string&)> error_;
  std::string property_;
  std::vector<Link> references_;
};

}  // namespace kest
