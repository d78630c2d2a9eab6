#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/core/recorder_tools.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace kest {

class Clock;
class RecordingSession;
class Settings;
class TLogger;
class TLoggerChannelItem;
class TLoggerDataSource;
class TLoggerSensorItem;

// The depth panel: depth and speed in large figures over the tablet, and the
// magnetic-label indicator the recording session paints red or green for half a
// second (on `clock`, checked by Refresh).
class TTopPanel : public QWidget {
 public:
  TTopPanel(TLogger& logger, Clock& clock, QWidget* parent);
  ~TTopPanel() override;

  // The outcome of a label: green where it was expected or placed, else red; the
  // label sound goes with it.
  void ShowLabel(bool green);
  std::function<void()> OnLabelSound;
  // The depth as the logger holds it now (also before the cable first moves); a
  // lit label goes back to the face colour when its time is up.
  void Refresh();
  QString DepthText() const;
  QString SpeedText() const;
  bool LabelLit() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TLogger& logger_;
  std::unique_ptr<TLoggerDataSource> source_;
  std::unique_ptr<TLoggerChannelItem> lciDepth, lciSpeed;
  std::unique_ptr<TLoggerSensorItem> lsimaglabel;
  QLabel* lDepth = nullptr;
  QLabel* lSpeed = nullptr;
  QWidget* pLabel = nullptr;
  Clock& clock_;
  int64_t label_until_ = 0;  // ms on clock_; 0 when not lit
};

// "Установка глубины": the depth and the depth sensor's step, applied at once or
// at the next magnetic label.
class TDepthSetDlg : public QDialog {
 public:
  TDepthSetDlg(TLogger& logger, RecordingSession& session, Settings& settings, std::string mode_key,
               QWidget* parent);
  ~TDepthSetDlg() override;

  QDoubleSpinBox* feDepth = nullptr;
  QLineEdit* feDepthStep = nullptr;
  QLabel* feDepthStepHint = nullptr;  // what the step field expects, while it holds no step
  QCheckBox* cbReverse = nullptr;
  QCheckBox* cbByMagLabel = nullptr;
  QPushButton* btnOk = nullptr;
  // True while OK waits for the next label.
  bool Waiting() const { return waiting_; }

 private:
  void Ok();
  void Apply();

  TLogger& logger_;
  RecordingSession& session_;
  Settings& settings_;
  std::string mode_key_;
  std::unique_ptr<TLoggerDataSource> source_;
  std::unique_ptr<TLoggerSensorItem> lsiMagneticLabel;
  bool waiting_ = false;
};

// "Параметры кабеля": the magnetic-label settings of the recording.
class TCableDlg : public QDialog {
 public:
  TCableDlg(RecordingSession& session, QWidget* parent);
  // Copies the shown values back to the session.
  void Store();

  QDoubleSpinBox *feStep, *feStep2, *feSubStep, *feOffset2, *feArea;
  QSpinBox* sePos2;

 private:
  RecordingSession& session_;
};

// "Датчик натяжения": the tension sensor's K and B, sent to the tool and written
// into the panel's class file.
class TTensionDlg : public QDialog {
 public:
  TTensionDlg(TLogger& logger, std::string class_file, QWidget* parent);
  // After OK: sends the coefficients to the tool and writes them into the class
  // file; raises EConvertError for a field that is no number, and the file's error.
  void Apply();

  QLineEdit* eK = nullptr;
  QLineEdit* eB = nullptr;

 private:
  TLogger& logger_;
  std::string class_file_;
};

// "Пробоотборник": the supply current for taking a sample.
class TTrierDlg : public QDialog {
 public:
  explicit TTrierDlg(int current, QWidget* parent);
  QSpinBox* seTrier = nullptr;
};

}  // namespace kest
