// The example plug-in in a program with windows, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <set>

#include "app/core/plugin_loader.h"
#include "log/log_sheet.h"
#include "log/log_track.h"

namespace kest {
namespace {

// The example's boxes on the screen.
std::set<QWidget*> SummaryBoxes() {
  std::set<QWidget*> boxes;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "SheetSummary" && w->isVisible()) boxes.insert(w);
  return boxes;
}

TEST(SheetSummaryPlugIn, ShowsTheSummaryInABoxThatOutlivesTheLibraryAndLeavesTheSheetAlone) {
  TLogSheet sheet;
  for (const char* name : {"GK", "NK"}) sheet.NewTrack(name);
  sheet.SetSteps(100);
  sheet.SetOrigins(1500000);
  for (int i = 0; i < sheet.Count(); ++i)
    for (int r = 0; r < 4; ++r) sheet.Tracks(i)->Append(1.0f);
  sheet.Update();
  sheet.Comments().SetValue("Условия замера", "Подъём");

  // The call returns at once (the box is not modal) and the library is unloaded.
  const std::set<QWidget*> before = SummaryBoxes();
  ASSERT_EQ(RunPlugIn(std::string(KEST_PLUGIN_DIR) + "/sheet_summary.so", nullptr, &sheet),
            PlugInCall::pcInitPlugInEx);
  std::set<QWidget*> after = SummaryBoxes();
  for (QWidget* w : before) after.erase(w);
  ASSERT_EQ(after.size(), 1u);
  auto* box = qobject_cast<QMessageBox*>(*after.begin());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->windowTitle(), "Сводка планшета");
  EXPECT_EQ(box->text(), "Кривых: 2 (GK, NK)\nСтрок: 4\nИнтервал: 1500.00 - 1500.30 м");
  EXPECT_EQ(sheet.Comments().Text("\n"), "Условия замера=Подъём\n");
  EXPECT_EQ(sheet.Tracks(0)->Count(), 4);

  // Painted and closed with the plug-in's code gone: nothing of it may be called.
  QApplication::processEvents();
  box->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(SummaryBoxes(), before);
}

}  // namespace
}  // namespace kest
