#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "analysis/repeat_control.h"
#include "session/log_document.h"

class QLineEdit;
class QTableWidget;

namespace kest {

class TCurvePlot;
class TLogSheet;
class WindowQuestions;

// "Контроль повторного замера": the open log as the main pass against a repeat pass
// from a file. "Сравнить" fills a row per curve (interval, samples, mean and standard
// deviation of repeat - main, correlation) and overlays the chosen row's curves;
// "Отчёт" writes the table as ODT and PDF next to the repeat and opens the PDF.
class TRepeatControlWindow : public QDialog {
 public:
  TRepeatControlWindow(const TLogSheet& main, std::string main_name, WindowQuestions& questions,
                       LogFileOptions options, std::string folder, QWidget* parent = nullptr);
  ~TRepeatControlWindow() override;

  void SetRepeatFile(const std::string& path);
  bool Compare();
  // Writes "<folder>/Контроль повторного замера.odt" and ".pdf"; the PDF's path, ""
  // when it failed (the message shown).
  std::string Report(const std::string& folder, bool open);
  const std::vector<RepeatCurveStats>& Stats() const { return stats_; }

 private:
  void ShowCurve(int row);

  const TLogSheet& main_;
  std::string main_name_;
  WindowQuestions& questions_;
  LogFileOptions file_options_;
  std::string folder_;
  std::unique_ptr<LogDocument> repeat_;
  std::string repeat_path_;
  std::vector<RepeatCurveStats> stats_;
  QLineEdit* repeat_file_ = nullptr;
  QTableWidget* table_ = nullptr;
  TCurvePlot* overlay_ = nullptr;
};

}  // namespace kest
