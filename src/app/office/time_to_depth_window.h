#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "session/log_document.h"
#include "session/time_to_depth.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kest {

class WindowQuestions;

// "Привязка к глубине": a memory tool's time log and the surface recorder's log of
// the same run, the clock offset (found or typed), the depth step, the run and the
// stationary periods; "Построить" makes the depth log, which is saved to a file of
// its own and can then be opened in the editor (`OnOpen`; the editor asks before it
// drops an unsaved log).
class TTimeToDepthWindow : public QDialog {
 public:
  TTimeToDepthWindow(WindowQuestions& questions, LogFileOptions options, std::string folder,
                     QWidget* parent = nullptr);
  ~TTimeToDepthWindow() override;

  void SetToolFile(const std::string& path);
  void SetSurfaceFile(const std::string& path);
  void SetOffset(std::optional<double> seconds);
  void SetStepCm(double cm);
  void SetRun(CableRun run);
  void SetKeepStationary(bool keep);
  // "Построить": false (and the message shown) when it failed.
  bool Build();
  // "Сохранить...": the path saved to, "" when cancelled or failed.
  std::string Save();
  const TLogSheet& Result() const { return result_.Sheet(); }
  std::string SummaryText() const;
  std::function<void(const std::string& path)> OnOpen;

 private:
  QLineEdit* FileRow(const char* name, const QString& label, QGridLayout* grid, int row);
  TimeToDepthOptions Options() const;

  WindowQuestions& questions_;
  LogFileOptions file_options_;
  std::string folder_;
  LogDocument result_;
  bool built_ = false;
  QLineEdit* tool_ = nullptr;
  QLineEdit* surface_ = nullptr;
  QRadioButton* find_ = nullptr;
  QRadioButton* typed_ = nullptr;
  QLineEdit* offset_ = nullptr;
  QDoubleSpinBox* step_ = nullptr;
  QComboBox* run_ = nullptr;
  QCheckBox* keep_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* show_ = nullptr;
};

}  // namespace kest
