// Windows sized to their titles, offscreen.
#include "app/dialogs/dialog_size.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "app/core/app_environment.h"
#include "app/dialogs/recorder_dialogs.h"
#include "app/dialogs/research_params_dialog.h"
#include "app/main_window/setup_dialog.h"
#include "session/installation_folders.h"
#include "support/settings.h"
#include "support/string_list.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

// A dialog whose contents are much narrower than its title.
class TinyDialog : public QDialog {
 public:
  explicit TinyDialog(const QString& title) {
    setWindowTitle(title);
    (new QVBoxLayout(this))->addWidget(new QLabel("1", this));
  }
};

TEST(DialogSize, ATitleWiderThanTheContentsWidensTheWindow) {
  TinyDialog dialog("Установка глубины по первой магнитной метке");
  const int before = dialog.sizeHint().width();
  FitToTitle(dialog);
  EXPECT_GT(TitleBarWidth(dialog.windowTitle()), before);
  EXPECT_GE(dialog.width(), TitleBarWidth(dialog.windowTitle()));
  EXPECT_GE(dialog.height(), dialog.sizeHint().height());
  // Room for the window buttons beyond the text itself.
  EXPECT_GT(TitleBarWidth("Ш"), 4 * QFontMetrics(QApplication::font()).height());
}

TEST(DialogSize, ContentsWiderThanTheTitleAndAnEarlierSizeAreKept) {
  TinyDialog wide("Ок");
  wide.layout()->addWidget(new QLabel(QString(120, 'W'), &wide));
  FitToTitle(wide);
  EXPECT_EQ(wide.width(), wide.sizeHint().width());

  TinyDialog sized("Ок");
  sized.resize(900, 700);
  FitToTitle(sized);
  EXPECT_EQ(sized.size(), QSize(900, 700));
}

TEST(DialogSize, AnEndlessTitleStopsAtTheScreen) {
  TinyDialog dialog(QString(2000, QChar(0x0416)));  // "Ж" two thousand times
  FitToTitle(dialog);
  EXPECT_LE(dialog.width(), QApplication::primaryScreen()->availableGeometry().width());
}

TEST(DialogSize, TheProgramsDialogsShowTheirTitlesWhole) {
  testing::TempDir root;
  SeedRoot(test::DataRoot(), root.Path().string());
  AppEnvironment env(root.Path().string());
  MemorySettings settings;
  StringList current;
  TTrierDlg trier(0, nullptr);
  TSetupDialog setup(settings, env.Folders().Logs);
  TResearchParamsDialog params(env.ResearchParameters(), env.Folders().Data,
                               env.Folders().ResearchBase, current);
  for (QWidget* w : std::initializer_list<QWidget*>{&trier, &setup, &params}) {
    EXPECT_GE(w->width(), TitleBarWidth(w->windowTitle())) << w->windowTitle().toStdString();
    EXPECT_GE(w->width(), w->sizeHint().width()) << w->windowTitle().toStdString();
  }
}

}  // namespace
}  // namespace kest
