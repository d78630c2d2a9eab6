// An example plug-in: "Сводка планшета" shows what the working sheet holds (its
// curves, rows and range) and changes nothing: it reads the sheet under the
// sheet's lock and shows the summary in a box. The sheet's operations come from
// the program that loads it, the box from the program's own Qt.
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "app/core/plugin_api.h"
#include "log/log_sheet.h"
#include "log/log_track.h"

namespace {

constexpr const char* kCaption = "Сводка планшета";

// `value` / 1000 with `decimals` digits, "." whatever the locale.
std::string Thousandths(int32_t value, int decimals) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value / 1000.0,
                                 std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string Summary(kest::TLogSheet& sheet) {
  kest::SheetLock lock(sheet);  // the recorder may be appending rows
  std::string curves;
  int32_t rows = 0;
  for (int i = 0; i < sheet.Count(); ++i) {
    const kest::TLogTrack* track = sheet.Tracks(i);
    curves += (i ? ", " : "") + track->Parameter();
    if (track->Instance() > 0) curves += "#" + std::to_string(track->Instance());
    rows = std::max(rows, track->Count());
  }
  std::string text = "Кривых: " + std::to_string(sheet.Count());
  if (!curves.empty()) text += " (" + curves + ")";
  text += "\nСтрок: " + std::to_string(rows) + "\nИнтервал: ";
  if (rows == 0) return text + "нет";
  const bool time = sheet.Argument() == kest::laTime;  // milliseconds, else millimetres
  const int decimals = time ? 1 : 2;
  return text + Thousandths(sheet.Start(), decimals) + " - " + Thousandths(sheet.End(), decimals) +
         (time ? " с" : " м");
}

// The window the box belongs to (it closes with it): the active one, else the
// program's main window.
QWidget* ProgramWindow() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && qobject_cast<QMainWindow*>(w)) return w;
  return nullptr;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void GetInfo(KestPlugInInfo* info) {
  size_t length = std::strlen(kCaption);
  info->Caption[0] = static_cast<unsigned char>(length);
  std::memcpy(info->Caption + 1, kCaption, length);
}

// The summary of `sheet` into `text` (cut to `size` - 1 bytes and terminated when
// `size` > 0). Returns the summary's whole length.
__attribute__((visibility("default"))) size_t KestSheetSummary(kest::TLogSheet* sheet, char* text,
                                                               size_t size) {
  const std::string summary = sheet ? Summary(*sheet) : std::string("Нет планшета");
  if (text && size > 0) {
    const size_t n = std::min(summary.size(), size - 1);
    std::memcpy(text, summary.data(), n);
    text[n] = '\0';
  }
  return summary.size();
}

__attribute__((visibility("default"))) void InitPlugInEx(kest::TLogger*, kest::TLogSheet* sheet) {
  if (!sheet || !qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;  // no windows to show it in
  const QString text = QString::fromStdString(Summary(*sheet));
  // Not modal: the program unloads the library when this call returns, and the box
  // runs no code of ours (its texts are copies, it deletes itself when closed).
  auto* box = new QMessageBox(QMessageBox::Information, QString::fromUtf8(kCaption), text,
                              QMessageBox::Ok, ProgramWindow());
  box->setObjectName("SheetSummary");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

// Older programs call only this one; this program prefers InitPlugInEx.
__attribute__((visibility("default"))) void InitPlugIn(kest::TLogger*) {}

}  // extern "C"
