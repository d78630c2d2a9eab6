// The main window's print commands: "Печать..." through the print dialog and the
// system's printer choice (any printer, or a PDF file), and the print preview.
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <filesystem>

#include "app/core/app_environment.h"
#include "app/core/main_settings.h"
#include "app/dialogs/window_questions.h"
#include "app/main_window/main_window.h"
#include "log/log_sheet.h"
#include "session/installation_folders.h"
#include "support/diagnostic_log.h"
#include "support/settings.h"
#include "viewer/core/headline.h"
#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/print_device.h"
#include "viewer/widgets/print_dialog.h"
#include "viewer/widgets/print_preview.h"

namespace kest {

namespace {

// The preview's resolution: a page as wide as a screen shows it at "as is".
constexpr int kPreviewDpi = 150;
constexpr int kPrintDpi = 300;

}  // namespace

void TMainForm::AddPrintActions(QMenu* file) {
  QAction* print = AddAction(file, "aPrint", "Печать...", QKeySequence::Print);
  print->setStatusTip("Печать планшета на принтер или в файл PDF");
  connect(print, &QAction::triggered, this, [this] { Try([this] { PrintSheet(); }); });
  QAction* preview = AddAction(file, "aPreview", "Предварительный просмотр");
  preview->setStatusTip("Планшет, как он будет напечатан");
  connect(preview, &QAction::triggered, this, [this] { Try([this] { PreviewSheet(); }); });
}

void TMainForm::UpdatePrintActions() {
  const TLogSheet* sheet = viewer_->Sheet();
  const bool printable = sheet && sheet->Count() > 0 && sheet->HasRange() && !viewer_->Printing();
  for (const char* name : {"aPrint", "aPreview"})
    if (QAction* a = Action(name)) a->setEnabled(printable);
}

RenderWarning TMainForm::PrintWarning() {
  return
      [this](const std::string& message, const std::string&) { questions_.ShowWarning(message); };
}

void TMainForm::PrintSheet() {
  const std::string folder = env_.Folders().Headers;
  // The head line of the last print (this run's, else the stored one) is offered.
  const std::string last = settings_.GetString(kSettingsGroup, "HeadLine", main_.HeadLine);
  if (!viewer_->Params().Find("HeadLine") && !last.empty()) {
    const std::filesystem::path stored(last);
    viewer_->Params()
        .Ensure("HeadLine")
        .SetString(stored.has_parent_path() ? last
                                            : (std::filesystem::path(folder) / stored).string());
  }
  TLogViewerPrintDialog dialog(viewer_.get(), folder, this);
  if (questions_.Exec(dialog) != QDialog::Accepted) return;
  main_.HeadLine = PrintSettings::From(viewer_->Params()).HeadLine;
  settings_.SetString(kSettingsGroup, "HeadLine", main_.HeadLine);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName("KEST sheet");
  printer.setCreator("KEST");
  // Without an installed printer the dialog offers the PDF file: named after the log.
  if (QPrinterInfo::availablePrinters().isEmpty() && !TitleFile().empty()) {
    const std::filesystem::path log(TitleFile());
    printer.setOutputFileName(
        QString::fromStdString((log.parent_path() / log.stem()).string() + ".pdf"));
  }
  QPrintDialog choose(&printer, this);
  choose.setWindowTitle("Принтер");
  if (questions_.Exec(choose) != QDialog::Accepted) return;
  // The pens are device pixels: 300 dpi keeps a curve's line visible on paper.
  printer.setResolution(kPrintDpi);

  QProgressDialog progress("Печать...", "Отмена", 0, 1, this);
  progress.setWindowTitle("Печать");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  const RenderProgress step = [&](int64_t done, int64_t total) {
    progress.setMaximum(static_cast<int>(total));
    progress.setValue(static_cast<int>(done));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return !progress.wasCanceled();
  };
  try {
    const int pages = PrintOnDevice(printer, *viewer_, PrintSettings::From(viewer_->Params()),
                                    dialog.Monochrome(), step, PrintWarning());
    Diag().Note(
        "Printed " + std::to_string(pages) + " page(s) to " +
        (printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName())
            .toStdString());
  } catch (const ERenderCancelled&) {
    printer.abort();
  }
}

void TMainForm::PreviewSheet() {
  PrintSettings settings = PrintSettings::From(viewer_->Params());
  settings.HeadLine.clear();
  const std::string folder = env_.Folders().Headers;
  const std::vector<std::string> names = HeadLineTemplates(folder);
  if (!names.empty()) {
    QInputDialog choose(this);
    choose.setWindowTitle("Выберите шапку");
    choose.setLabelText("Шапка");
    QStringList items{"(без шапки)"};
    for (const std::string& name : names) items << QString::fromStdString(name);
    choose.setComboBoxItems(items);
    choose.setTextValue(items.value(1));
    if (questions_.Exec(choose) != QDialog::Accepted) return;
    const qsizetype index = items.indexOf(choose.textValue());
    if (index > 0) settings.HeadLine = folder + "/" + names[static_cast<size_t>(index - 1)];
  }
  const PrintDevice device{kPreviewDpi, static_cast<int>(210 * kPreviewDpi / 25.4), 0};
  TPrintPreviewDlg preview(*viewer_, settings, viewer_->Monochrome(), device, PrintWarning(), this);
  questions_.Exec(preview);
}

}  // namespace kest
