#pragma once

#include <QApplication>
#include <QString>
#include <QTranslator>
#include <exception>
#include <functional>

namespace kest {

// The application object: an error that reaches the event loop is written to the
// diagnostic log with a beep and shown in an error box, and the program goes on. A
// failed assertion is shown as an internal error of the program, with its place.
class KestApplication : public QApplication {
 public:
  KestApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the message of an error that reached the event loop; the error box
  // unless replaced (tests record it instead).
  std::function<void(const QString& message)> ShowError;
};

// Qt's own Russian texts for standard dialogs and buttons ("Отмена", "Папка", ...),
// installed in the application while this object lives. Loaded() is false when the
// translation files (package qt6-translations-l10n) are missing: Qt then speaks
// English and the program still runs.
class QtRussianTranslation {
 public:
  QtRussianTranslation();
  ~QtRussianTranslation();
  QtRussianTranslation(const QtRussianTranslation&) = delete;
  QtRussianTranslation& operator=(const QtRussianTranslation&) = delete;
  bool Loaded() const { return loaded_; }

 private:
  QTranslator translator_;
  bool loaded_ = false;
};

// The text an error box shows for `e`: its message; for a failed assertion, which is
// a fault of the program and not of the user's data, "Внутренняя ошибка программы"
// with the place that failed and what the failure says beyond that place.
QString ErrorBoxText(const std::exception& e);

}  // namespace kest
