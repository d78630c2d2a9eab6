#include "viewer/core/inspector_model.h"

#include <algorithm>
#include <type_traits>

#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "viewer/core/column_class_list.h"
#include "viewer/core/column_commands.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/scale_list.h"
#include "viewer/core/text_column.h"
#include "viewer/core/value_format.h"

namespace kest {

// --- Owner-drawn lists --------------------------------------------------------------

const std::vector<TPen>& InspectorPens() {
  static const std::vector<TPen> pens = {{psSolid, 1}, {psSolid, 2}, {psSolid, 3},
                                         {psDash, 1},  {psDot, 1},   {psDashDot, 1}};
  return pens;
}

const std::vector<TColor>& InspectorColors() {
  static const std::vector<TColor> colors = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000,
                                             0x800080, 0x808000, 0x808080, 0xC0C0C0, 0x0000FF,
                                             0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00};
  return colors;
}

int PenIndex(const TPen& pen) {
  const auto& pens = InspectorPens();
  for (size_t i = 0; i < pens.size(); ++i) {
    if (pens[i].Style == pen.Style && pens[i].Width == pen.Width) return static_cast<int>(i);
  }
  throw EPenComboBoxError("Selecting missing pen");
}

int ColorIndex(TColor color) {
  const auto& colors = InspectorColors();
  auto it = std::find(colors.begin(), colors.end(), color);
  if (it == colors.end()) throw EColorComboBoxError("Selecting missing color");
  return static_cast<int>(it - colors.begin());
}

int SpectrumIndex(int spectrum) {
  if (spectrum < spBlueRed || spectrum > spYellowRed)
    throw EColorComboBoxError("Selecting missing spectrum");
  return spectrum;
}

namespace {

const char* const kColorNames[] = {"clBlack",  "clMaroon", "clGreen", "clOlive",   "clNavy",
                                   "clPurple", "clTeal",   "clGray",  "clSilver",  "clRed",
                                   "clLime",   "clYellow", "clBlue",  "clFuchsia", "clAqua"};

bool InRange(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

// --- Rows -------------------------------------------------------------------------------

// A text list: the property read and written through the column's own accessors.
class TListRow : public TPropertyViewer {
 public:
  TListRow(std::string caption, TLogViewerColumn& column, std::vector<std::string> choices,
           std::function<int()> selected, std::function<std::string()> value,
           std::function<void(int)> choose)
      : TPropertyViewer(std::move(caption), column),
        choices_(std::move(choices)),
        selected_(std::move(selected)),
        value_(std::move(value)),
        choose_(std::move(choose)) {}
  std::vector<std::string> Choices() const override { return choices_; }
  int SelectedIndex() const override { return selected_(); }
  std::string ValueText() const override { return value_(); }
  void Choose(int index) override {
    if (InRange(index, choices_.size())) choose_(index);
  }

 private:
  std::vector<std::string> choices_;
  std::function<int()> selected_;
  std::function<std::string()> value_;
  std::function<void(int)> choose_;
};

// "Нет" / "Да".
std::unique_ptr<TPropertyViewer> BoolRow(std::string caption, TLogViewerColumn& column,
                                         std::function<bool()> get, std::function<void(bool)> set) {
  return std::make_unique<TListRow>(
      std::move(caption), column, std::vector<std::string>{"Нет", "Да"},
      [get] { return get() ? 1 : 0; }, [get] { return std::string(get() ? "Да" : "Нет"); },
      [set](int i) { set(i == 1); });
}

// Integers from a fixed list; a value not in it selects nothing.
std::unique_ptr<TPropertyViewer> IntegerRow(std::string caption, TLogViewerColumn& column,
                                            std::vector<int32_t> values,
                                            std::function<int32_t()> get,
                                            std::function<void(int32_t)> set) {
  std::vector<std::string> texts;
  for (int32_t v : values) texts.push_back(std::to_string(v));
  return std::make_unique<TListRow>(
      std::move(caption), column, std::move(texts),
      [values, get] {
        auto it = std::find(values.begin(), values.end(), get());
        return it == values.end() ? -1 : static_cast<int>(it - values.begin());
      },
      [get] { return std::to_string(get()); },
      [values, set](int i) { set(values[static_cast<size_t>(i)]); });
}

std::string StepText(double v) { return FormatValue(v, 0, 4); }

// The value steps; the selection is the first step at or above the value.
std::unique_ptr<TPropertyViewer> StepRow(std::string caption, TLogViewerColumn& column,
                                         std::function<double()> get,
                                         std::function<void(double)> set) {
  std::vector<std::string> texts;
  for (int i = 0; i < kValueStepCount; ++i) texts.push_back(StepText(ValueStep(i)));
  return std::make_unique<TListRow>(
      std::move(caption), column, std::move(texts), [get] { return FirstValueStepAtLeast(get()); },
      [get] { return StepText(get()); }, [set](int i) { set(ValueStep(i)); });
}

std::string ParameterCaption(const std::string& mnemonic) {
  if (mnemonic == "NONE") return "(нет)";
  if (LogParametersExist()) {
    const TLogParameter* p = LogParameters().Find(mnemonic);
    if (!p) p = LogSensors().Find(mnemonic);
    if (p && !p->Caption.empty()) return p->Caption;
  }
  return mnemonic;
}

TLogSheet* SheetOf(const TLogViewerColumn& column) {
  return column.Viewer() ? column.Viewer()->Sheet() : nullptr;
}

// "(нет)", then each mnemonic of the sheet once, in track order.
std::vector<std::string> SheetMnemonics(const TLogViewerColumn& column) {
  std::vector<std::string> mnemonics = {"NONE"};
  if (TLogSheet* sheet = SheetOf(column)) {
    for (int i = 0; i < sheet->Count(); ++i) {
      const std::string& m = sheet->Tracks(i)->Parameter();
      if (std::find(mnemonics.begin(), mnemonics.end(), m) == mnemonics.end())
        mnemonics.push_back(m);
    }
  }
  return mnemonics;
}

class TParameterRow : public TPropertyViewer {
 public:
  TParameterRow(TTrackColumn& column) : TPropertyViewer("Параметр", column), track_(column) {}
  std::vector<std::string> Choices() const override {
    std::vector<std::string> texts;
    for (const auto& m : SheetMnemonics(track_)) texts.push_back(ParameterCaption(m));
    return texts;
  }
  int SelectedIndex() const override {
    auto m = SheetMnemonics(track_);
    auto it = std::find(m.begin(), m.end(), track_.Parameter());
    return it == m.end() ? -1 : static_cast<int>(it - m.begin());
  }
  std::string ValueText() const override { return ParameterCaption(track_.Parameter()); }
  void Choose(int index) override {
    auto m = SheetMnemonics(track_);
    if (InRange(index, m.size())) track_.SetParameter(m[static_cast<size_t>(index)]);
  }

 private:
  TTrackColumn& track_;
};

class TNumberRow : public TPropertyViewer {
 public:
  TNumberRow(TTrackColumn& column) : TPropertyViewer("Номер", column), track_(column) {}
  std::vector<std::string> Choices() const override {
    std::vector<std::string> texts;
    for (int i = 1; i <= Count(); ++i) texts.push_back(std::to_string(i));
    return texts;
  }
  int SelectedIndex() const override { return track_.Number() < Count() ? track_.Number() : -1; }
  std::string ValueText() const override { return std::to_string(track_.Number() + 1); }
  void Choose(int index) override {
    if (index >= 0 && index < Count()) track_.SetNumber(index);
  }

 private:
  int Count() const {
    TLogSheet* sheet = SheetOf(track_);
    return sheet ? sheet->TrackCountOf(track_.Parameter()) : 0;
  }
  TTrackColumn& track_;
};

template <typename C>
class TPenRowOf : public TPenRow {
 public:
  TPenRowOf(C& column) : TPenRow("Тип линии", column), typed_(column) {}
  TInspectorEditor Editor() const override { return TInspectorEditor::kPen; }
  std::vector<std::string> Choices() const override {
    std::vector<std::string> texts;
    for (const TPen& p : InspectorPens())
      texts.push_back(std::string(PenStyleName(p.Style)) + " " + std::to_string(p.Width));
    return texts;
  }
  int SelectedIndex() const override { return PenIndex(typed_.Pen()); }
  std::string ValueText() const override { return Choices()[PenIndexOrFirst()]; }
  TPen Value() const override { return typed_.Pen(); }
  void Choose(int index) override {
    if (InRange(index, InspectorPens().size())) typed_.SetPen(InspectorPens()[index]);
  }

 private:
  size_t PenIndexOrFirst() const {
    try {
      return static_cast<size_t>(PenIndex(typed_.Pen()));
    } catch (const EPenComboBoxError&) {
      return 0;
    }
  }
  C& typed_;
};

class TColorRowOf : public TColorRow {
 public:
  TColorRowOf(TColorColumn& column) : TColorRow("Цвет", column), typed_(column) {}
  TInspectorEditor Editor() const override { return TInspectorEditor::kColor; }
  std::vector<std::string> Choices() const override {
    return {std::begin(kColorNames), std::end(kColorNames)};
  }
  int SelectedIndex() const override { return ColorIndex(typed_.StoredColor()); }
  std::string ValueText() const override {
    const auto& c = InspectorColors();
    auto it = std::find(c.begin(), c.end(), typed_.StoredColor());
    return it == c.end() ? std::string() : kColorNames[it - c.begin()];
  }
  TColor Value() const override { return typed_.StoredColor(); }
  void Choose(int index) override {
    if (InRange(index, InspectorColors().size())) typed_.SetColor(InspectorColors()[index]);
  }

 private:
  TColorColumn& typed_;
};

class TSpectrumRowOf : public TSpectrumRow {
 public:
  TSpectrumRowOf(THueColumn& column) : TSpectrumRow("Спектр", column), typed_(column) {}
  TInspectorEditor Editor() const override { return TInspectorEditor::kSpectrum; }
  std::vector<std::string> Choices() const override {
    std::vector<std::string> texts;
    for (int i = spBlueRed; i <= spYellowRed; ++i)
      texts.push_back(SpectrumName(static_cast<TSpectrum>(i)));
    return texts;
  }
  int SelectedIndex() const override { return SpectrumIndex(typed_.Spectrum()); }
  std::string ValueText() const override { return SpectrumName(typed_.Spectrum()); }
  TSpectrum Value() const override { return typed_.Spectrum(); }
  void Choose(int index) override {
    if (index >= spBlueRed && index <= spYellowRed)
      typed_.SetSpectrum(static_cast<TSpectrum>(index));
  }

 private:
  THueColumn& typed_;
};

// A maker that applies only to columns of class T.
template <typename T>
std::function<std::unique_ptr<TPropertyViewer>(TLogViewerColumn&)> For(
    std::function<std::unique_ptr<TPropertyViewer>(T&)> make) {
  return [make](TLogViewerColumn& column) -> std::unique_ptr<TPropertyViewer> {
    if (auto* typed = dynamic_cast<T*>(&column)) return make(*typed);
    return nullptr;
  };
}

// Scale and FilterLen are published by the graphics and the gradient column.
template <typename A, typename B, typename Make>
std::function<std::unique_ptr<TPropertyViewer>(TLogViewerColumn&)> ForEither(Make make) {
  return [make](TLogViewerColumn& column) -> std::unique_ptr<TPropertyViewer> {
    if (auto* a = dynamic_cast<A*>(&column)) return make(*a);
    if (auto* b = dynamic_cast<B*>(&column)) return make(*b);
    return nullptr;
  };
}

const std::vector<int32_t> kFilterLengths = {0, 2, 5, 10, 20, 50, 100, 200};
const std::vector<int32_t> kLeftPositions = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20};

std::vector<TPropertyViewerClass> MakeRegistry() {
  using G = TGraphicsColumn;
  std::vector<TPropertyViewerClass> r;
  r.push_back({"Color", "Цвет", For<TColorColumn>([](TColorColumn& c) {
                 return std::unique_ptr<TPropertyViewer>(new TColorRowOf(c));
               })});
  r.push_back({"Pen", "Тип линии", [](TLogViewerColumn& c) -> std::unique_ptr<TPropertyViewer> {
                 if (auto* g = dynamic_cast<G*>(&c)) return std::make_unique<TPenRowOf<G>>(*g);
                 if (auto* m = dynamic_cast<TMarkerColumn*>(&c))
                   return std::make_unique<TPenRowOf<TMarkerColumn>>(*m);
                 return nullptr;
               }});
  r.push_back({"Parameter", "Параметр", For<TTrackColumn>([](TTrackColumn& c) {
                 return std::unique_ptr<TPropertyViewer>(new TParameterRow(c));
               })});
  r.push_back({"Number", "Номер", For<TTrackColumn>([](TTrackColumn& c) {
                 return std::unique_ptr<TPropertyViewer>(new TNumberRow(c));
               })});
  r.push_back({"Scale", "Верхняя граница", ForEither<G, THueColumn>([](auto& c) {
                 return StepRow(
                     "Верхняя граница", c, [&c] { return c.Scale(); },
                     [&c](double v) {
                       // A bound chosen by hand holds: the curve stops scaling itself.
                       if constexpr (std::is_same_v<std::decay_t<decltype(c)>, G>)
                         if (v > c.NegScale()) c.SetAutoScale(false);
                       c.SetScale(v);
                     });
               })});
  r.push_back({"NegScale", "Нижняя граница", For<G>([](G& c) {
                 return StepRow(
                     "Нижняя граница", c, [&c] { return c.NegScale(); },
                     [&c](double v) {
                       if (v < c.Scale()) c.SetAutoScale(false);
                       c.SetNegScale(v);
                     });
               })});
  r.push_back({"OffsetGraph", "Смещение", For<G>([](G& c) {
                 return StepRow(
                     "Смещение", c, [&c] { return c.OffsetGraph(); },
                     [&c](double v) { c.SetOffsetGraph(v); });
               })});
  r.push_back({"MarkPos", "Положение метки", For<TMarkerColumn>([](TMarkerColumn& c) {
                 return std::unique_ptr<TPropertyViewer>(new TListRow(
                     "Положение метки", c, {"Слева", "Справа"},
                     [&c] { return c.MarkPos() == lrRight ? 1 : 0; },
                     [&c] { return std::string(c.MarkPos() == lrRight ? "Справа" : "Слева"); },
                     [&c](int i) { c.SetMarkPos(i == 1 ? lrRight : lrLeft); }));
               })});
  r.push_back({"FixedWidth", "Фикс. ширина", [](TLogViewerColumn& c) {
                 return BoolRow(
                     "Фикс. ширина", c, [&c] { return c.FixedWidth(); },
                     [&c](bool v) { c.SetFixedWidth(v); });
               }});
  r.push_back({"FilterLen", "Длина Фильтра", ForEither<G, THueColumn>([](auto& c) {
                 return IntegerRow(
                     "Длина Фильтра", c, kFilterLengths, [&c] { return c.FilterLen(); },
                     [&c](int32_t v) { c.SetFilterLen(v); });
               })});
  r.push_back({"ShowGrid", "Сетка", For<G>([](G& c) {
                 return BoolRow(
                     "Сетка", c, [&c] { return c.ShowGrid(); }, [&c](bool v) { c.SetShowGrid(v); });
               })});
  r.push_back({"Differential", "Дифференциал", For<G>([](G& c) {
                 return BoolRow(
                     "Дифференциал", c, [&c] { return c.Differential(); },
                     [&c](bool v) { c.SetDifferential(v); });
               })});
  // The text column's setter announces nothing, so the row announces the change
  // itself: otherwise the column would keep its old drawing.
  r.push_back({"LeftPos", "Отступ", For<TTextColumn>([](TTextColumn& c) {
                 return IntegerRow(
                     "Отступ", c, kLeftPositions, [&c] { return c.LeftPos(); },
                     [&c](int32_t v) {
                       if (v == c.LeftPos()) return;
                       c.SetLeftPos(v);
                       if (c.Viewer()) c.Viewer()->RaiseEvent(veColumnChanged, &c);
                     });
               })});
  r.push_back({"Spectrum", "Спектр", For<THueColumn>([](THueColumn& c) {
                 return std::unique_ptr<TPropertyViewer>(new TSpectrumRowOf(c));
               })});
  return r;
}

}  // namespace

const std::vector<TPropertyViewerClass>& PropertyViewers() {
  static const std::vector<TPropertyViewerClass> registry = MakeRegistry();
  return registry;
}

const TPropertyViewerClass* FindPropertyViewer(std::string_view property) {
  for (const auto& v : PropertyViewers()) {
    if (v.Property == property) return &v;
  }
  return nullptr;
}

TPoint SnapToScreen(const TRect& w, const TRect& s) {
  TPoint p{w.Left, w.Top};
  if (w.Left - s.Left < kSnapDistance) p.X = s.Left;
  if (w.Top - s.Top < kSnapDistance) p.Y = s.Top;
  if (s.Right - w.Right < kSnapDistance) p.X = s.Right - w.Width();
  if (s.Bottom - w.Bottom < kSnapDistance) p.Y = s.Bottom - w.Height();
  return p;
}

// --- Model ------------------------------------------------------------------------------

class TInspectorModel::ViewerLink : public TLVLink {
 public:
  explicit ViewerLink(TInspectorModel& model) : model_(model) {}
  void ViewerChanged(TLogViewerEvents events) override { model_.ViewerChanged(events); }

 private:
  TInspectorModel& model_;
};

class TInspectorModel::ColumnLink : public TLVColumnLink {
 public:
  explicit ColumnLink(TInspectorModel& model) : model_(model) {}
  void ColumnChanged(TLogViewerColumn* column) override { model_.ColumnChanged(column); }

 private:
  TInspectorModel& model_;
};

TInspectorModel::TInspectorModel(bool editor_mode)
    : editor_mode_(editor_mode),
      viewer_link_(std::make_unique<ViewerLink>(*this)),
      column_link_(std::make_unique<ColumnLink>(*this)) {}

TInspectorModel::~TInspectorModel() {
  rows_.clear();
  viewer_link_->SetViewer(nullptr);
  column_link_->SetViewer(nullptr);
}

// The link forgets a viewer that is destroyed first.
TLogViewerCore* TInspectorModel::Viewer() const { return viewer_link_->Viewer(); }

void TInspectorModel::SetViewer(TLogViewerCore* viewer) {
  viewer_link_->SetViewer(viewer);
  column_link_->SetViewer(viewer);
  ShowColumn(viewer ? viewer->FocusedColumn() : nullptr);
}

std::vector<std::string> TInspectorModel::Captions() const {
  std::vector<std::string> captions;
  for (const auto& r : rows_) captions.push_back(r->Caption());
  return captions;
}

void TInspectorModel::ShowColumn(TLogViewerColumn* column) {
  if (busy_) return;
  if (column == column_ && (!column || ColumnAlive())) return;
  busy_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{busy_};
  rows_.clear();
  column_ = column;
  column_name_ = column ? column->Name() : std::string();
  if (column) {
    for (const std::string& name : column->PublishedProperties()) {
      const TPropertyViewerClass* v = FindPropertyViewer(name);
      if (!v || (name == "Differential" && !editor_mode_)) continue;
      if (auto row = v->Create(*column)) rows_.push_back(std::move(row));
    }
  }
  if (OnRowsChanged) OnRowsChanged();
}

int TInspectorModel::CheckedKind() const {
  if (!column_) return -1;
  const TColumnClassList& list = TColumnClassList::Instance();
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i).Name == column_->ClassName()) return i;
  }
  return -1;
}

template <typename Change>
void TInspectorModel::Recorded(std::string text, Change change) {
  TLogViewerCore* viewer = Viewer();
  if (!viewer || !OnColumnsChanged) {
    change();
    return;
  }
  std::string before = LayoutSnapshot(*viewer);
  change();
  if (LayoutSnapshot(*viewer) != before) OnColumnsChanged(std::move(before), std::move(text));
}

void TInspectorModel::ChangeKind(std::string_view class_name) {
  if (busy_ || !column_ || !Viewer() || class_name == column_->ClassName()) return;
  Recorded("Вид колонки", [&] {
    TLogViewerColumn* old = column_;
    // The old column is freed inside: forget it before anything is delivered.
    rows_.clear();
    column_ = nullptr;
    TLogViewerColumn* replaced = Viewer()->ReplaceColumnClass(old, class_name);
    if (!replaced) {
      ShowColumn(old);
      return;
    }
    Viewer()->RaiseEvent(veColumns);
    ShowColumn(replaced);
  });
}

void TInspectorModel::Choose(int row, int index) {
  if (busy_ || row < 0 || row >= RowCount()) return;
  TPropertyViewer& viewer_row = *rows_[static_cast<size_t>(row)];
  Recorded(viewer_row.Caption(), [&] { viewer_row.Choose(index); });
  if (OnValuesChanged) OnValuesChanged();
}

bool TInspectorModel::ColumnAlive() const {
  if (!Viewer() || !column_) return false;
  for (int i = 0; i < Viewer()->ColumnCount(); ++i) {
    if (Viewer()->Column(i) == column_) return column_->Name() == column_name_;
  }
  return false;
}

void TInspectorModel::ViewerChanged(TLogViewerEvents events) {
  if (!Viewer()) return;
  if (events.Has(veFocus) || (events.Has(veColumns) && column_ && !ColumnAlive()))
    ShowColumn(Viewer()->FocusedColumn());
}

void TInspectorModel::ColumnChanged(TLogViewerColumn* column) {
  if (column && column == column_ && !busy_ && OnValuesChanged) OnValuesChanged();
}

}  // namespace kest
