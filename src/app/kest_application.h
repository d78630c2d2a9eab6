#pragma once

#include <QApplication>
#include <QString>
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

// The text an error box shows for `e`: its message; for a failed assertion, which is
// a fault of the program and not of the user's data, "Внутренняя ошибка программы"
// with the place that failed and what the failure says beyond that place.
QString ErrorBoxText(const std::exception& e);

}  // namespace kest
