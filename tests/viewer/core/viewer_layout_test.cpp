#include <gtest/gtest.h>

#include <new>

#include "log/component_writer.h"
#include "support/stream.h"
#include "test_viewer.h"
#include "viewer/core/arg_column.h"
#include "viewer/core/graphics_column.h"
#include "viewer/core/hue_column.h"
#include "viewer/core/text_column.h"

namespace kest {
namespace {

TEST(ViewerLayout, RoundTripKeepsTreeSharesKindsAndPropertiesButNotTheScale) {
  TestViewer v;
  auto* arg = v.NewColumn<TArgColumn>();
  auto* g = v.NewColumn<TGraphicsColumn>();
  auto* over = v.NewColumn<TTextColumn>();
  auto* hue = v.NewColumn<THueColumn>();
  arg->AddChild(v.RootColumn());
  g->InsertAfter(arg);
  hue->InsertAfter(g);
  over->AddChild(g);
  arg->SetRelativeWidth(150);
  arg->SetFixedWidth(true);
  g->SetRelativeWidth(500);
  hue->SetRelativeWidth(350);
  g->SetParameter("GR");
  g->SetColor(0x0000FF);
  g->SetNegScale(-20);
  g->SetScale(0);  // a zero bound must survive the file
  g->SetPen({psDash, 2, clBlack});
  g->SetFilterLen(5);
  g->SetShowGrid(false);
  over->SetParameter("SP");
  over->SetNumber(1);
  over->SetLeftPos(3);
  over->SetColor(clWhite);
  hue->SetSpectrum(spYellowRed);
  hue->SetScale(0.25);
  v.SetScale(500);

  MemoryStream stream;
  v.SaveLayout(stream);
  EXPECT_EQ(stream.Text().substr(0, 4), "TPF0");

  TestViewer w;
  std::vector<std::string> errors;
  w.OnLayoutError = [&](const std::string& m) { errors.push_back(m); };
  stream.Seek(0);
  w.LoadLayout(stream);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(w.Scale(), 200);
  ASSERT_EQ(w.ColumnCount(), 4);
  auto* arg2 = dynamic_cast<TArgColumn*>(w.RootColumn()->LSon());
  ASSERT_NE(arg2, nullptr);
  EXPECT_EQ(arg2->RelativeWidth(), 150);
  EXPECT_TRUE(arg2->FixedWidth());
  auto* g2 = dynamic_cast<TGraphicsColumn*>(arg2->RLink());
  ASSERT_NE(g2, nullptr);
  EXPECT_EQ(g2->Parameter(), "GR");
  EXPECT_EQ(g2->StoredColor(), 0x0000FFu);
  EXPECT_EQ(g2->Scale(), 0);
  EXPECT_EQ(g2->NegScale(), -20);
  EXPECT_EQ(g2->Pen(), (TPen{psDash, 2, clBlack}));
  EXPECT_EQ(g2->FilterLen(), 5);
  EXPECT_FALSE(g2->ShowGrid());
  auto* over2 = dynamic_cast<TTextColumn*>(g2->LSon());
  ASSERT_NE(over2, nullptr);
  EXPECT_EQ(over2->Father(), g2);
  EXPECT_EQ(over2->Number(), 1);
  EXPECT_EQ(over2->LeftPos(), 3);
  EXPECT_EQ(over2->StoredColor(), clWhite);
  auto* hue2 = dynamic_cast<THueColumn*>(g2->RLink());
  ASSERT_NE(hue2, nullptr);
  EXPECT_EQ(hue2->Spectrum(), spYellowRed);
  EXPECT_EQ(hue2->Scale(), 0.25);
  EXPECT_EQ(hue2->RLink(), nullptr);

  MemoryStream again;
  w.SaveLayout(again);
  EXPECT_EQ(again.Bytes(), stream.Bytes());
}

// Writes a layout by hand: each column is (class, name, properties as a writer step).
std::string Layout(
    const std::vector<std::pair<std::string, std::function<void(ComponentWriter&)>>>& columns) {
  MemoryStream out;
  ComponentWriter w(out);
  w.WriteSignature();
  w.WriteShortString("TLogViewer");
  w.WriteShortString("LogViewer");
  w.WriteListEnd();
  int n = 0;
  for (auto& [cls, props] : columns) {
    w.WriteShortString(cls);
    w.WriteShortString("Column_" + std::to_string(n++));
    props(w);
    w.WriteListEnd();
    w.WriteListEnd();
  }
  w.WriteListEnd();
  w.Flush();
  return out.Text();
}

void Ref(ComponentWriter& w, const char* name, const char* target) {
  w.WriteShortString(name);
  w.WriteIdent(target);
}

TEST(ViewerLayout, UnknownClassesAndBadValuesAreLoggedAndReadingGoesOn) {
  std::string bytes = Layout({
      {"TGraphicsColumn",
       [](ComponentWriter& w) {
         Ref(w, "Father", "RootColumn");
         Ref(w, "RLink", "Column_2");
         w.WriteShortString("Scale");
         w.WriteString("ten");  // wrong type
         w.WriteShortString("Wobble");
         w.WriteInteger(3);
       }},
      {"TFancyColumn", [](ComponentWriter& w) { Ref(w, "Father", "RootColumn"); }},
      {"TTextColumn",
       [](ComponentWriter& w) {
         Ref(w, "Father", "RootColumn");
         w.WriteShortString("LeftPos");
         w.WriteInteger(4);
       }},
  });
  TestViewer v;
  std::vector<std::string> errors;
  v.OnLayoutError = [&](const std::string& m) { errors.push_back(m); };
  MemoryStream in(bytes);
  v.LoadLayout(in);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[1], "Property TGraphicsColumn.Wobble does not exist");
  EXPECT_EQ(errors[2], "Class TFancyColumn not found");
  ASSERT_EQ(v.ColumnCount(), 2);
  auto* text = dynamic_cast<TTextColumn*>(v.RootColumn()->LSon()->RLink());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->LeftPos(), 4);
}

// Damaged layout files: the reader tells each problem and keeps the columns it could
// place in a consistent tree; a column it cannot place is dropped, never left dangling.
TEST(ViewerLayout, DamagedLayoutsAreToldAndKeepAConsistentTree) {
  const std::string one =
      Layout({{"TGraphicsColumn", [](ComponentWriter& w) { Ref(w, "Father", "RootColumn"); }}});
  const std::string two = Layout({
      {"TGraphicsColumn",
       [](ComponentWriter& w) {
         Ref(w, "Father", "RootColumn");
         Ref(w, "RLink", "Column_1");
       }},
      {"TTextColumn", [](ComponentWriter& w) { Ref(w, "Father", "RootColumn"); }},
  });
  const size_t header = Layout({}).size() - 1;  // up to the end of the column list
  const std::string kCut =
      "Повреждённый поток компонента: данные кончились раньше времени (смещение ";
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> notices;
    int columns;  // kept, hanging from the root
  };
  const std::vector<Case> cases = {
      {"empty", "", {kCut + "0)"}, 0},
      {"not a component stream",
       "XPF0" + one.substr(4),
       {"Повреждённый поток компонента: нет подписи TPF0 (смещение 4)"},
       0},
      {"cut in the signature", one.substr(0, 3), {kCut + "0)"}, 0},
      {"cut after the viewer's properties", one.substr(0, header), {kCut + "26)"}, 0},
      {"cut inside the first column", one.substr(0, header + 20), {kCut + "43)"}, 0},
      {"cut before the second column ends",
       two.substr(0, two.size() - 4),
       {kCut + "118)", "Column Column_1 is not in the column tree"},
       1},
      {"a string length past the end", one.substr(0, header + 1) + "\x7F", {kCut + "27)"}, 0},
      {"an unknown class",
       Layout({{"TFancyColumn", [](ComponentWriter& w) { Ref(w, "Father", "RootColumn"); }}}),
       {"Class TFancyColumn not found"},
       0},
      {"an unknown property",
       Layout({{"TGraphicsColumn",
                [](ComponentWriter& w) {
                  Ref(w, "Father", "RootColumn");
                  w.WriteShortString("Wobble");
                  w.WriteInteger(3);
                }}}),
       {"Property TGraphicsColumn.Wobble does not exist"},
       1},
      {"a value of the wrong type",
       Layout({{"TTextColumn",
                [](ComponentWriter& w) {
                  Ref(w, "Father", "RootColumn");
                  w.WriteShortString("LeftPos");
                  w.WriteString("four");
                }}}),
       {"Invalid property value: TTextColumn.LeftPos"},
       1},
      {"a reference to no column",
       Layout({{"TGraphicsColumn",
                [](ComponentWriter& w) {
                  Ref(w, "Father", "RootColumn");
                  Ref(w, "RLink", "Column_9");
                }}}),
       {"Invalid reference Column_9"},
       1},
      {"a column that names itself its father",
       Layout({{"TGraphicsColumn", [](ComponentWriter& w) { Ref(w, "Father", "Column_0"); }}}),
       {},
       1},
      {"two columns each the other's father",
       Layout({
           {"TGraphicsColumn", [](ComponentWriter& w) { Ref(w, "Father", "Column_1"); }},
           {"TGraphicsColumn", [](ComponentWriter& w) { Ref(w, "Father", "Column_0"); }},
       }),
       {"Column Column_0 is not in the column tree", "Column Column_1 is not in the column tree"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestViewer v;
    std::vector<std::string> notices;
    v.OnLayoutError = [&](const std::string& m) { notices.push_back(m); };
    MemoryStream in(c.bytes);
    v.LoadLayout(in);
    EXPECT_EQ(notices, c.notices);
    EXPECT_EQ(v.ColumnCount(), c.columns);
    int hanging = 0;
    for (auto* col = v.RootColumn()->LSon(); col; col = col->RLink()) ++hanging;
    EXPECT_EQ(hanging, c.columns);
    EXPECT_FALSE(v.LoadingLayout());
  }
}

// Fails every read past `good` bytes with an error of no KEST class.
class FailingStream : public MemoryStream {
 public:
  FailingStream(const std::string& bytes, int64_t good) : MemoryStream(bytes), good_(good) {}
  size_t Read(void* buffer, size_t count) override {
    if (Position() + static_cast<int64_t>(count) > good_) throw std::bad_alloc();
    return MemoryStream::Read(buffer, count);
  }

 private:
  int64_t good_;
};

TEST(ViewerLayout, AForeignFailureWhileLoadingLeavesTheViewerUpdatingAndNotLoading) {
  const std::string bytes =
      Layout({{"TGraphicsColumn", [](ComponentWriter& w) { Ref(w, "Father", "RootColumn"); }}});
  TestViewer v;
  v.OnLayoutError = [](const std::string&) {};
  FailingStream in(bytes, 6);
  EXPECT_THROW(v.LoadLayout(in), std::bad_alloc);
  EXPECT_FALSE(v.Updating());
  EXPECT_FALSE(v.LoadingLayout());
  // A column made now stays out of the tree until it is put there.
  EXPECT_EQ(v.NewColumn<TGraphicsColumn>()->Father(), nullptr);
  EventLog log(v);
  v.SetScale(500);
  EXPECT_TRUE(log.Saw(veScale));
}

TEST(ViewerLayout, CyclicOrTruncatedTreesLoadWhatIsConsistent) {
  std::string bytes = Layout({
      {"TGraphicsColumn",
       [](ComponentWriter& w) {
         Ref(w, "Father", "RootColumn");
         Ref(w, "LSon", "Column_1");
       }},
      {"TGraphicsColumn",
       [](ComponentWriter& w) {
         Ref(w, "Father", "Column_0");
         Ref(w, "LSon", "Column_0");   // a cycle
         Ref(w, "RLink", "Column_1");  // and a loop
       }},
  });
  TestViewer v;
  v.OnLayoutError = [](const std::string&) {};
  MemoryStream in(bytes);
  v.LoadLayout(in);
  EXPECT_EQ(v.TreeDepth(), 2);
  EXPECT_EQ(v.RootColumn()->LSon()->LSon()->LSon(), nullptr);
  EXPECT_EQ(v.RootColumn()->LSon()->LSon()->RLink(), nullptr);

  std::vector<std::string> errors;
  v.OnLayoutError = [&](const std::string& m) { errors.push_back(m); };
  MemoryStream cut(bytes.substr(0, bytes.size() - 20));
  v.LoadLayout(cut);
  EXPECT_FALSE(errors.empty());
  EXPECT_LE(v.ColumnCount(), 2);
}

}  // namespace
}  // namespace kest
