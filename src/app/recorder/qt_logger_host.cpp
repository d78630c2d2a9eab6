#include "app/recorder/qt_logger_host.h"

#include <QCoreApplication>
#include <QThread>

namespace kest {

QtLoggerHost::QtLoggerHost() = default;
QtLoggerHost::~QtLoggerHost() = default;

void QtLoggerHost::RunOnMainThread(const std::function<void()>& fn) {
  if (QThread::currentThread() == receiver_.thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(
      &receiver_, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

void QtLoggerHost::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace kest
