// Qt's own dialogs and buttons speak Russian like the rest of the program: the
// translation the program loads at start, checked on the stock widgets it uses.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "app/kest_application.h"

namespace kest {
namespace {

TEST(QtTranslation, StandardButtonsAndTheFileDialogSpeakRussian) {
  QString cancel_before;
  {
    QtRussianTranslation russian;
    ASSERT_TRUE(russian.Loaded()) << "Qt's translations are missing (qt6-translations-l10n)";
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Apply);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Отмена");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Apply)->text(), "Применить");

    // The file dialog Qt draws itself (no desktop dialog offscreen).
    QFileDialog dialog(nullptr, "Открыть", KEST_SOURCE "/tests/data/las");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter("Known file types (*.ls *.las *.tmp);;All files (*)");
    dialog.resize(760, 440);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains("Папка:")) << labels.join(" | ").toStdString();
    EXPECT_TRUE(labels.contains("Имя файла:")) << labels.join(" | ").toStdString();
    dialog.show();
    dialog.grab().save(QString(KEST_APP_OUT_DIR) + "/file_dialog.png");
  }
  // Gone with the object: other windows' tests see Qt's own texts again.
  QDialogButtonBox after(QDialogButtonBox::Cancel);
  EXPECT_EQ(after.button(QDialogButtonBox::Cancel)->text(), "Cancel");
}

}  // namespace
}  // namespace kest
