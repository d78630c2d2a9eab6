#include "app/kest_application.h"

#include <QLibraryInfo>
#include <QMessageBox>

#include "support/diagnostic_log.h"
#include "support/errors.h"

namespace kest {

QString ErrorBoxText(const std::exception& e) {
  const auto* internal = dynamic_cast<const EAssertionFailed*>(&e);
  if (!internal) return QString::fromUtf8(e.what());
  const std::string place = internal->Place();
  std::string text = "Внутренняя ошибка программы";
  if (!place.empty()) text += " (" + place + ")";
  // KEST_ASSERT's own message only repeats the place.
  if (place.empty() || e.what() != "Assertion failure (" + place + ")")
    text += "\n" + std::string(e.what());
  return QString::fromStdString(text);
}

QtRussianTranslation::QtRussianTranslation() {
  // "qt_ru" pulls in the catalogues of every Qt module it names (qtbase, qtserialport,
  // ...); "qtbase_ru" alone covers the dialogs and buttons where it is missing.
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  loaded_ = translator_.load("qt_ru", folder) || translator_.load("qtbase_ru", folder);
  if (loaded_) QCoreApplication::installTranslator(&translator_);
}

QtRussianTranslation::~QtRussianTranslation() {
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

bool KestApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    Diag().LogException("kest", "notify", e.what());
    QApplication::beep();
    const QString message = ErrorBoxText(e);
    if (ShowError) {
      ShowError(message);
    } else {
      QMessageBox::critical(activeWindow(), "Ошибка", message);
    }
  }
  return false;
}

}  // namespace kest
