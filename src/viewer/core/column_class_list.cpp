#include "viewer/core/column_class_list.h"

#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/hue_column.h"
#include "viewer/core/marker_column.h"
#include "viewer/core/text_column.h"

namespace kest {

namespace {
template <typename T>
TColumnClass ClassOf() {
  T sample;
  return {sample.ClassName(), sample.GetHint(), sample.GetGlyph(),
          [] { return std::unique_ptr<TLogViewerColumn>(new T()); }};
}
}  // namespace

TColumnClassList& TColumnClassList::Instance() {
  static TColumnClassList* list = [] {
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): lives for the run
    auto* l = new TColumnClassList();
    l->Register(ClassOf<TGraphicsColumn>());
    l->Register(ClassOf<TTextColumn>());
    l->Register(ClassOf<TArgColumn>());
    l->Register(ClassOf<TMarkerColumn>());
    l->Register(ClassOf<THueColumn>());
    return l;
  }();
  return *list;
}

void TColumnClassList::Register(TColumnClass column_class) {
  for (auto& c : classes_) {
    if (c.Name == column_class.Name) {
      c = std::move(column_class);
      return;
    }
  }
  classes_.push_back(std::move(column_class));
}

const TColumnClass* TColumnClassList::Find(std::string_view name) const {
  for (const auto& c : classes_) {
    if (c.Name == name) return &c;
  }
  return nullptr;
}

}  // namespace kest
