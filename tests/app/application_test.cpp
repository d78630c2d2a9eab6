// The application's last-resort boundary: an error that reaches the event loop is
// shown and the program goes on; a failed assertion is shown as the program's own
// fault, with the place that failed, never as if the user's data were wrong.
#include <gtest/gtest.h>

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QSettings>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/core/command_line.h"
#include "app/kest_application.h"
#include "support/assert.h"
#include "support/errors.h"

namespace kest {
namespace {

// What the error box would have said of `fault` raised while an event is handled.
QString Shown(const std::function<void()>& fault) {
  auto* app = dynamic_cast<KestApplication*>(QApplication::instance());
  if (!app) return "no KestApplication";
  QString shown;
  app->ShowError = [&](const QString& message) { shown = message; };
  struct Thrower : QObject {
    std::function<void()> fault;
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User) fault();
      return QObject::event(e);
    }
  } thrower;
  thrower.fault = fault;
  QApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QApplication::processEvents();
  app->ShowError = nullptr;
  return shown;
}

TEST(Application, AFailedAssertionIsShownAsAnInternalErrorWithItsPlace) {
  const int line = __LINE__ + 1;
  QString shown = Shown([] { KEST_ASSERT(2 + 2 == 5); });
  EXPECT_EQ(shown.toStdString(),
            "Внутренняя ошибка программы (tests/app/application_test.cpp, line " +
                std::to_string(line) + ")");
}

TEST(Application, AFailedRequirementShowsItsPlaceAndItsMessage) {
  const int line = __LINE__ + 1;
  QString shown = Shown([] { Require(false, "Extra EndUpdate"); });
  EXPECT_EQ(shown.toStdString(),
            "Внутренняя ошибка программы (tests/app/application_test.cpp, line " +
                std::to_string(line) + ")\nExtra EndUpdate");
}

TEST(Application, AnAssertionWithoutAPlaceIsStillAnInternalError) {
  QString shown = Shown([] { throw EAssertionFailed("Out of entries"); });
  EXPECT_EQ(shown.toStdString(), "Внутренняя ошибка программы\nOut of entries");
}

TEST(Application, OrdinaryErrorsKeepTheirOwnMessage) {
  EXPECT_EQ(Shown([] { throw EKestError("Файл повреждён"); }), "Файл повреждён");
  EXPECT_EQ(Shown([] { throw std::runtime_error("disk full"); }), "disk full");
}

// "kest --help" and its manual page name the file the settings really go to.
TEST(Application, TheHelpNamesTheSettingsFileQtWrites) {
  const QSettings written(QSettings::IniFormat, QSettings::UserScope, "Velmora", "KEST-1.4");
  const QFileInfo file(written.fileName());
  const std::string path =
      ("~/.config/" + file.dir().dirName() + "/" + file.fileName()).toStdString();
  EXPECT_NE(HelpText().find(path), std::string::npos) << path << " is not in\n" << HelpText();
}

}  // namespace
}  // namespace kest
