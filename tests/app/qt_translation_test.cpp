// Qt's own dialogs and buttons speak Russian like the rest of the program: the
// translation the program loads at start (the window tests' main loads it too, so
// their pictures show what the program shows), checked on the stock widgets.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/kest_application.h"
#include "temp_dir.h"

namespace kest {
namespace {

TEST(QtTranslation, StandardButtonsAndTheFileDialogSpeakRussian) {
  QtRussianTranslation russian;
  ASSERT_TRUE(russian.Loaded()) << "Qt's translations are missing (qt6-translations-l10n)";
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                           QDialogButtonBox::Apply);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Отмена");
  EXPECT_EQ(buttons.button(QDialogButtonBox::Apply)->text(), "Применить");

  // The file dialog Qt draws itself (no desktop dialog offscreen), as the editor's
  // "Открыть..." shows it; the picture waits for the folder's listing.
  testing::TempDir logs;
  for (const char* name : {"sample_2.0.las", "multi_channel.las", "6038187_v1.2.las"})
    std::filesystem::copy_file(std::string(KEST_SOURCE) + "/tests/data/las/" + name,
                               logs.File(name));
  QFileDialog dialog(nullptr, "Открыть файл каротажа",
                     QString::fromStdString(logs.Path().string()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilters({"Известные типы файлов (*.ls *.las *.tmp)", "Все файлы (*)"});
  dialog.resize(760, 440);
  QStringList labels;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  for (const char* text : {"Перейти к:", "&Имя файла:", "Типы файлов:"})
    EXPECT_TRUE(labels.contains(text)) << text << " in " << labels.join(" | ").toStdString();
  dialog.show();
  auto* files = dialog.findChild<QAbstractItemView*>("listView");
  ASSERT_NE(files, nullptr);
  // The listing fills in from a thread; the picture is taken with or without it.
  static_cast<void>(
      QTest::qWaitFor([&] { return files->model()->rowCount(files->rootIndex()) > 0; }, 3000));
  dialog.grab().save(QString(KEST_APP_OUT_DIR) + "/file_dialog.png");
}

}  // namespace
}  // namespace kest
