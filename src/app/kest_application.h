#pragma once

#include <QApplication>
#include <QString>
#include <functional>

namespace kest {

// The application object: an error that reaches the event loop is written to the
// diagnostic log with a beep and shown in an error box, and the program goes on.
class KestApplication : public QApplication {
 public:
  KestApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the message of an error that reached the event loop; the error box
  // unless replaced (tests record it instead).
  std::function<void(const QString& message)> ShowError;
};

}  // namespace kest
