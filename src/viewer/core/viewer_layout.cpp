// Layout files: the viewer and its column tree as a component stream.
//
//   "TPF0"  "TLogViewer" "LogViewer"  DelayedUpdates=<bool>  0
//     "TGraphicsColumn" "Column_0"  Father=RootColumn RLink=Column_2 ... 0  0
//     ...                      (every column but the root, depth first)
//   0
#include "viewer/core/viewer_layout.h"

#include <map>
#include <set>

#include "log/component_reader.h"
#include "log/component_writer.h"
#include "support/diagnostic_log.h"
#include "viewer/core/log_viewer_core.h"

namespace kest {

namespace {

struct NamedColor {
  const char* Name;
  TColor Value;
};
const NamedColor kNamedColors[] = {
    {"clBlack", 0x000000},  {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
};

bool IsIntegerTag(ValueTag tag) {
  return tag == ValueTag::kInt8 || tag == ValueTag::kInt16 || tag == ValueTag::kInt32;
}

// Skips one component (names, properties, children) whose class is unknown.
void SkipComponent(ComponentReader& in, int depth) {
  if (depth > kMaxComponentNesting) in.Fail("Слишком глубокая вложенность компонентов");
  in.ReadShortString();
  in.ReadShortString();
  while (!in.EndOfList()) {
    in.ReadShortString();
    in.SkipValue();
  }
  while (!in.EndOfList()) SkipComponent(in, depth + 1);
}

}  // namespace

bool TLayoutReader::Mismatch() {
  error_("Invalid property value: " + property_);
  in_.SkipValue();
  return false;
}

bool TLayoutReader::Integer(int32_t& value) {
  if (!IsIntegerTag(in_.NextValue())) return Mismatch();
  value = in_.ReadInteger();
  return true;
}

bool TLayoutReader::Float(double& value) {
  ValueTag tag = in_.NextValue();
  if (tag != ValueTag::kExtended && !IsIntegerTag(tag)) return Mismatch();
  value = in_.ReadFloat();
  return true;
}

bool TLayoutReader::Boolean(bool& value) {
  ValueTag tag = in_.NextValue();
  if (tag != ValueTag::kFalse && tag != ValueTag::kTrue) return Mismatch();
  value = in_.ReadBoolean();
  return true;
}

bool TLayoutReader::String(std::string& value) {
  ValueTag tag = in_.NextValue();
  if (tag != ValueTag::kString && tag != ValueTag::kLString && tag != ValueTag::kWString &&
      tag != ValueTag::kUTF8String)
    return Mismatch();
  value = in_.ReadString();
  return true;
}

bool TLayoutReader::Ident(std::string& value) {
  if (in_.NextValue() != ValueTag::kIdent) return Mismatch();
  value = in_.ReadIdent();
  return true;
}

bool TLayoutReader::Set(std::vector<std::string>& value) {
  if (in_.NextValue() != ValueTag::kSet) return Mismatch();
  value = in_.ReadSet();
  return true;
}

bool TLayoutReader::Color(TColor& value) {
  ValueTag tag = in_.NextValue();
  if (IsIntegerTag(tag)) {
    value = static_cast<TColor>(in_.ReadInteger());
    return true;
  }
  if (tag != ValueTag::kIdent) return Mismatch();
  std::string name = in_.ReadIdent();
  for (const auto& c : kNamedColors) {
    if (name == c.Name) {
      value = c.Value;
      return true;
    }
  }
  error_("Invalid property value: " + property_);
  return false;
}

void TLayoutReader::Reference(TLogViewerColumn* column, Slot which) {
  ValueTag tag = in_.NextValue();
  if (tag == ValueTag::kNil) {
    in_.SkipValue();
    references_.push_back({column, which, {}});
  } else if (tag == ValueTag::kIdent) {
    references_.push_back({column, which, in_.ReadIdent()});
  } else {
    Mismatch();
  }
}

void TLayoutReader::Skip() { in_.SkipValue(); }

void TLogViewerCore::SaveLayout(Stream& stream) const {
  ComponentWriter out(stream);
  out.WriteSignature();
  out.WriteShortString("TLogViewer");
  out.WriteShortString(Name());
  out.WriteShortString("DelayedUpdates");
  out.WriteBoolean(delayed_updates_);
  out.WriteListEnd();
  std::vector<TLogViewerColumn*> order;
  ColumnsInTreeOrder(root_->lson_, order);
  for (TLogViewerColumn* c : order) {
    out.WriteShortString(c->ClassName());
    out.WriteShortString(c->Name());
    c->WriteProperties(out);
    out.WriteListEnd();
    out.WriteListEnd();
  }
  out.WriteListEnd();
  out.Flush();
}

void WritePenProperties(ComponentWriter& out, const TPen& pen) {
  if (pen.Color != clBlack) {
    out.WriteShortString("Pen.Color");
    out.WriteInteger(static_cast<int32_t>(pen.Color));
  }
  if (pen.Style != psSolid) {
    out.WriteShortString("Pen.Style");
    out.WriteIdent(PenStyleName(pen.Style));
  }
  if (pen.Width != 1) {
    out.WriteShortString("Pen.Width");
    out.WriteInteger(pen.Width);
  }
}

bool ReadPenProperty(const std::string& name, TLayoutReader& in, TPen& pen) {
  if (name == "Pen.Color") {
    TColor c;
    if (in.Color(c)) pen.Color = c;
  } else if (name == "Pen.Style") {
    std::string ident;
    TPenStyle style;
    if (in.Ident(ident)) {
      if (PenStyleFromName(ident, style))
        pen.Style = style;
      else
        in.Error("Invalid property value: Pen.Style");
    }
  } else if (name == "Pen.Width") {
    int32_t i = 0;
    if (in.Integer(i) && i >= 0) pen.Width = i;
  } else if (name == "Pen.Mode") {
    in.Skip();
  } else {
    return false;
  }
  return true;
}

void TLogViewerCore::LoadLayout(Stream& stream) {
  auto report = [this](const std::string& message) {
    Diag().Error(message);
    if (OnLayoutError) OnLayoutError(message);
  };
  UpdateGuard update(*this);
  ClearColumns();
  // Cleared however reading ends: a stale flag would hang the next new column
  // under the root.
  struct LoadingFlag {
    bool& flag;
    explicit LoadingFlag(bool& f) : flag(f) { flag = true; }
    ~LoadingFlag() { flag = false; }
  } loading(loading_);
  std::map<std::string, TLogViewerColumn*> names;
  std::vector<TLayoutReader::Link> references;
  try {
    ComponentReader in(stream);
    TLayoutReader reader(in, report);
    in.ReadSignature();
    in.ReadShortString();
    in.ReadShortString();
    while (!in.EndOfList()) {
      std::string property = in.ReadShortString();
      reader.SetProperty(property);
      bool b = false;
      if (property == "DelayedUpdates") {
        if (reader.Boolean(b)) delayed_updates_ = b;
      } else {
        // Design-time properties of the control itself are not restored.
        reader.Skip();
      }
    }
    try {
      while (!in.EndOfList()) {
        std::string class_name = in.ReadShortString();
        std::string name = in.ReadShortString();
        TLogViewerColumn* column = NewColumn(class_name);
        if (!column) {
          report("Class " + class_name + " not found");
          while (!in.EndOfList()) {
            in.ReadShortString();
            in.SkipValue();
          }
          while (!in.EndOfList()) SkipComponent(in, 1);
          continue;
        }
        if (!name.empty()) names[name] = column;
        while (!in.EndOfList()) {
          std::string property = in.ReadShortString();
          reader.SetProperty(class_name + "." + property);
          if (!column->ReadProperty(property, reader)) {
            report("Property " + class_name + "." + property + " does not exist");
            in.SkipValue();
          }
        }
        while (!in.EndOfList()) SkipComponent(in, 1);
      }
    } catch (...) {
      references = std::move(reader.References());
      throw;
    }
    references = std::move(reader.References());
  } catch (const EKestError& e) {
    report(e.what());
  }

  // Resolve the references by name.
  for (auto& r : references) {
    TLogViewerColumn* target = nullptr;
    if (r.Name == "RootColumn") {
      target = root_.get();
    } else if (!r.Name.empty()) {
      auto it = names.find(r.Name);
      if (it == names.end()) {
        report("Invalid reference " + r.Name);
        continue;
      }
      target = it->second;
    }
    if (target == r.Column) continue;
    switch (r.Which) {
      case TLayoutReader::kFather:
        r.Column->father_ = target;
        break;
      case TLayoutReader::kLSon:
        r.Column->lson_ = target;
        break;
      case TLayoutReader::kRLink:
        r.Column->rlink_ = target;
        break;
    }
  }

  // A damaged file may describe no tree at all: keep what hangs from the root
  // consistently and drop the rest, so no walk can loop.
  std::set<TLogViewerColumn*> reached;
  std::function<void(TLogViewerColumn*)> walk = [&](TLogViewerColumn* father) {
    TLogViewerColumn* previous = nullptr;
    for (TLogViewerColumn* c = father->lson_; c; c = c->rlink_) {
      if (reached.count(c) || c->father_ != father || c == root_.get()) {
        (previous ? previous->rlink_ : father->lson_) = nullptr;
        break;
      }
      reached.insert(c);
      walk(c);
      previous = c;
    }
  };
  root_->father_ = root_->rlink_ = nullptr;
  walk(root_.get());
  std::vector<TLogViewerColumn*> stray;
  for (auto& c : columns_) {
    if (!reached.count(c.get())) stray.push_back(c.get());
  }
  for (TLogViewerColumn* c : stray) {
    report("Column " + c->Name() + " is not in the column tree");
    c->father_ = c->lson_ = c->rlink_ = nullptr;
  }
  for (TLogViewerColumn* c : stray) DestroyColumn(c);

  loading_ = false;
  for (auto& c : columns_) c->LinkTrack();
  RaiseEvent(veColumns);
}

}  // namespace kest
