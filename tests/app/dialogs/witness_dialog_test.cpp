// The live witness's settings: the "Трансляция" dialog and the user's settings file
// that keeps its password.
#include "app/dialogs/witness_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/qt_settings.h"
#include "temp_dir.h"

namespace kest {
namespace {

mode_t FileMode(const std::string& file) {
  struct stat st {};
  ::stat(file.c_str(), &st);
  return st.st_mode & 0777;
}

// The settings file is the user's alone from its first byte to its last rewrite, and
// the witness's settings come back from it as they were saved.
TEST(WitnessSettingsFile, ThePasswordStaysInAFileOnlyTheUserReads) {
  testing::TempDir dir;
  const std::string file = dir.File("kest.ini");
  WitnessSettings saved;
  saved.host = "office.example";
  saved.port = 8883;
  saved.tls = true;
  saved.ca_file = "/etc/ssl/office-ca.crt";
  saved.user = "unit7";
  saved.password = " se=cret;# ";
  saved.unit = "Станция 7";
  saved.enabled = true;
  {
    QtSettings settings(file);
    EXPECT_EQ(FileMode(file), 0600u);
    SaveWitnessSettings(settings, saved);
    settings.Sync();
    EXPECT_EQ(FileMode(file), 0600u);
    settings.SetString("Settings", "Other", "x");  // rewritten
    settings.Sync();
    EXPECT_EQ(FileMode(file), 0600u);
  }
  ::chmod(file.c_str(), 0644);  // an older file, readable by all
  QtSettings again(file);
  EXPECT_EQ(FileMode(file), 0600u);
  EXPECT_EQ(LoadWitnessSettings(again), saved);
}

// OK keeps the dialog open with the reason while the unit name cannot be a topic; a
// name it can be, or publishing off, closes it with the settings typed.
TEST(WitnessDialog, RefusesUnitNamesTopicsCannotHold) {
  WitnessSettings start;
  start.unit = "u1";
  TWitnessDialog dialog(start, nullptr);
  dialog.cbEnabled->setChecked(true);
  dialog.feHost->setText("broker.office");
  dialog.cbTls->setChecked(true);
  EXPECT_EQ(dialog.sePort->value(), 8883);  // the TLS port follows
  dialog.feUser->setText("unit7");
  dialog.fePassword->setText("pw");
  for (const char* bad : {"a/b", "a#", "+", ""}) {
    dialog.feUnit->setText(QString::fromUtf8(bad));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << bad;
    EXPECT_FALSE(dialog.lProblem->isHidden()) << bad;
    EXPECT_FALSE(dialog.lProblem->text().isEmpty()) << bad;
  }
  dialog.feUnit->setText("Станция 7");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const WitnessSettings got = dialog.Result();
  EXPECT_EQ(got.host, "broker.office");
  EXPECT_EQ(got.port, 8883);
  EXPECT_TRUE(got.tls && got.enabled);
  EXPECT_EQ(got.unit, "Станция 7");

  TWitnessDialog shown(got, nullptr);
  shown.feUnit->setText("a/b");
  shown.accept();
  shown.resize(shown.sizeHint().expandedTo(QSize(420, 0)));
  shown.grab().save(QString(KEST_APP_OUT_DIR) + "/witness_dialog.png");
}

}  // namespace
}  // namespace kest
