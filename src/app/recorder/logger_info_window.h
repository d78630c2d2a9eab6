#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/core/logger_info_model.h"

class QAction;
class QActionGroup;
class QMenu;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace kest {

class Clock;

class Settings;
class TLogger;

// "Управление прибором": the operator's live view of the link and the tool — link
// statistics and supply current, the loaded modules with their liveness and packet
// rates, the sensors' and channels' current values. A tool window 250..350 pixels
// wide that snaps to the screen's edges. It only observes the logger (through
// LoggerInfoModel); its settings are read at creation and written at destruction.
// It may be shown and hidden at will, and destroyed before or after the logger.
class TLoggerInfoWindow : public QWidget {
 public:
  // `clock` times the averaging intervals and the liveness of the modules.
  TLoggerInfoWindow(TLogger& logger, Clock& clock, Settings& settings, const std::string& mode_key,
                    QWidget* parent = nullptr);
  ~TLoggerInfoWindow() override;

  LoggerInfoModel& Model() { return *model_; }
  // The menu actions by object name ("SensorService", "SensorInterval5",
  // "SensorReset", "ChannelLogger", "ShowGrid", "FontLarge", "FontBold", ...).
  QAction* Action(const char* name) const;
  bool ShowGrid() const;
  // True when the window was put where the settings remembered it.
  bool PlacedFromSettings() const { return placed_from_settings_; }
  // The page shown: 0 "Состояние", 1 "Датчики", 2 "Каналы".
  void ShowPage(int index);

  static constexpr int kMinWidth = 250;
  static constexpr int kMaxWidth = 350;
  static constexpr int kSnapDistance = 12;

 protected:
  void moveEvent(QMoveEvent* event) override;

 private:
  QTableWidget* NewList(const QStringList& headers);
  QMenu* BuildValueMenu(bool sensors);
  QMenu* BuildViewMenu();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption, bool checkable);
  void ApplySettings(const LoggerInfoSettings& stored);
  LoggerInfoSettings CurrentSettings() const;
  void SetShowGrid(bool on);
  void SetFontSize(int points);
  void SetFontBold(bool bold);
  void SyncMenus();

  void ModelChanged(LoggerInfoModel::Change change);
  void FillState();
  void FillModules();
  void FillValues(QTableWidget* list, const std::vector<LoggerInfoModel::ValueRow>& rows,
                  bool captions);
  void FitModuleList();
  void UpdateStatus();
  void Tick();

  TLogger& logger_;
  Settings& settings_;
  std::string mode_key_;
  std::unique_ptr<LoggerInfoModel> model_;
  int font_size_ = 0;  // 0: the default font
  bool font_bold_ = false;
  bool snapping_ = false;
  bool placed_from_settings_ = false;

  QTabWidget* pcPages = nullptr;
  QTableWidget* lvState = nullptr;
  QTableWidget* lvSensors = nullptr;
  QTableWidget* lvChannels = nullptr;
  QTableWidget* lvModules = nullptr;
  QStatusBar* sbStatus = nullptr;
  QTimer* tmTick = nullptr;
  QActionGroup* sensor_intervals_ = nullptr;
  QActionGroup* channel_intervals_ = nullptr;
  QActionGroup* font_sizes_ = nullptr;
};

}  // namespace kest
