#include "viewer/core/color_column.h"

#include "log/component_writer.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/viewer_layout.h"

namespace kest {

bool TColorColumn::MonochromePrint() const {
  return Viewer() && Viewer()->Printing() && Viewer()->Monochrome();
}

TColor TColorColumn::Color() const { return MonochromePrint() ? clBlack : color_; }

void TColorColumn::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TColorColumn::WriteProperties(ComponentWriter& out) const {
  TPersistentColumn::WriteProperties(out);
  if (color_ != clBlack) {
    out.WriteShortString("Color");
    out.WriteInteger(static_cast<int32_t>(color_));
  }
}

bool TColorColumn::ReadProperty(const std::string& name, TLayoutReader& in) {
  if (name == "Color") {
    TColor c;
    if (in.Color(c)) color_ = c;
    return true;
  }
  return TPersistentColumn::ReadProperty(name, in);
}

}  // namespace kest
