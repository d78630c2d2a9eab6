#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "analysis/log_resample.h"

class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

namespace kest {

class TLogSheet;
class WindowQuestions;

// "Шаг и фильтры": the open log put on a new step (nearest, linear, or the LAS
// export's peak rule), and a moving mean or median of a curve added as a new track
// ("GK_MEAN", "GK_MEDIAN"). Nulls stay nulls. `OnChanged` runs after either, so the
// editor shows the tracks anew and counts the log as modified.
class TStepFilterWindow : public QDialog {
 public:
  TStepFilterWindow(TLogSheet& sheet, WindowQuestions& questions, float null_value,
                    QWidget* parent = nullptr);
  ~TStepFilterWindow() override;

  bool Resample(double step_cm, ResampleMethod method);
  // The name of the track made, "" when it failed (the message shown).
  std::string AddFilter(const std::string& curve, FilterKind kind, double length_cm);
  std::function<void()> OnChanged;
  // After a new step, before OnChanged: every track was replaced, so what the undo
  // stack holds refers to tracks that are gone.
  std::function<void()> OnTracksReplaced;

 private:
  TLogSheet& sheet_;
  WindowQuestions& questions_;
  float null_value_;
  QDoubleSpinBox* step_ = nullptr;
  QComboBox* method_ = nullptr;
  QComboBox* curve_ = nullptr;
  QRadioButton* mean_ = nullptr;
  QDoubleSpinBox* length_ = nullptr;
};

}  // namespace kest
