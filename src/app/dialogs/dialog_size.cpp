#include "app/dialogs/dialog_size.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kest {

namespace {

// Window managers draw titles in a font of their own; the larger of the desktop's
// title font and the application's font, in bold, is what they commonly use or a
// little more.
QFont TitleFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  const QFont app = QApplication::font();
  if (font.pointSizeF() < app.pointSizeF()) font.setPointSizeF(app.pointSizeF());
  font.setBold(true);
  return font;
}

}  // namespace

int TitleBarWidth(const QString& title) {
  const QFontMetrics metrics(TitleFont());
  // Icon, minimise, maximise and close, each about a title bar high, and the margins.
  const int button = metrics.height() + 10;
  return metrics.horizontalAdvance(title) + 4 * button + 2 * metrics.height();
}

void FitToTitle(QWidget& window) {
  const QSize hint = window.sizeHint();
  const QSize now = window.testAttribute(Qt::WA_Resized) ? window.size() : hint;
  int title = TitleBarWidth(window.windowTitle());
  if (const QScreen* screen = window.screen() ? window.screen() : QApplication::primaryScreen())
    title = std::min(title, screen->availableGeometry().width());
  window.resize(std::max({now.width(), hint.width(), title}),
                std::max(now.height(), hint.height()));
}

}  // namespace kest
