#include "app/kest_application.h"

#include <QMessageBox>

#include "support/diagnostic_log.h"

namespace kest {

bool KestApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    Diag().LogException("kest", "notify", e.what());
    QApplication::beep();
    const QString message = QString::fromUtf8(e.what());
    if (ShowError) {
      ShowError(message);
    } else {
      QMessageBox::critical(activeWindow(), "Ошибка", message);
    }
  }
  return false;
}

}  // namespace kest
