#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "analysis/depth_match.h"
#include "session/log_document.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kest {

class TCurvePlot;
class TLogSheet;
class UndoStack;
class WindowQuestions;

// "Увязка по глубине": the open log against a reference (another file, or another run
// of the same research), a curve of each, the largest shift and the window length
// (0: one shift for the whole common interval). "Найти" fills the table of windows
// and the plot of shift against depth and overlays the reference and the log before
// and after; "Применить" moves every track of the log by the shift found, as one
// undoable change. A shift not found (correlation below 0.5) is never applied.
class TDepthMatchWindow : public QDialog {
 public:
  TDepthMatchWindow(TLogSheet& sheet, UndoStack& undo, WindowQuestions& questions,
                    LogFileOptions options, std::string folder, QWidget* parent = nullptr);
  ~TDepthMatchWindow() override;

  void SetReferenceFile(const std::string& path);
  void SetCurve(const std::string& mnemonic);
  void SetMaxShift(double metres);
  void SetWindow(double metres);
  // "Найти": false (and the message shown) when the match could not run.
  bool Match();
  // "Применить": false when there is nothing that may be applied.
  bool Apply();
  const DepthMatchResult& Result() const { return result_; }
  std::function<void()> OnApplied;

 private:
  void LoadReference();
  void ShowResult();
  void UpdateOverlay();

  TLogSheet& sheet_;
  UndoStack& undo_;
  WindowQuestions& questions_;
  LogFileOptions file_options_;
  std::string folder_;
  std::unique_ptr<LogDocument> reference_;
  std::string reference_path_;
  DepthMatchResult result_;
  bool matched_ = false;
  QLineEdit* ref_file_ = nullptr;
  QComboBox* curve_ = nullptr;
  QComboBox* ref_curve_ = nullptr;
  QDoubleSpinBox* max_shift_ = nullptr;
  QDoubleSpinBox* window_ = nullptr;
  QTableWidget* table_ = nullptr;
  TCurvePlot* shifts_ = nullptr;
  TCurvePlot* overlay_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* apply_ = nullptr;
};

}  // namespace kest
