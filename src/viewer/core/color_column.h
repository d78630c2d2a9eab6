#pragma once

#include "viewer/core/log_viewer_column.h"

namespace kest {

// A column drawn in one colour (black by default; always black while the viewer
// prints in monochrome).
class TColorColumn : public TPersistentColumn {
 public:
  const char* ClassName() const override { return "TColorColumn"; }
  std::vector<std::string> PublishedProperties() const override {
    return WithProperties(TPersistentColumn::PublishedProperties(), {"Color"});
  }
  TColor Color() const;
  TColor StoredColor() const { return color_; }
  void SetColor(TColor color);

  void WriteProperties(ComponentWriter& out) const override;
  bool ReadProperty(const std::string& name, TLayoutReader& in) override;

 protected:
  bool MonochromePrint() const;

 private:
  TColor color_ = clBlack;
};

}  // namespace kest
