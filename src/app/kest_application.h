#pragma once

#include <QApplication>

namespace kest {

// The application object: an error that reaches the event loop is written to the
// diagnostic log with a beep and shown in an error box, and the program goes on.
class KestApplication : public QApplication {
 public:
  KestApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kest
