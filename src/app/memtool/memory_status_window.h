#pragma once

#include <QWidget>
#include <string>
#include <utility>
#include <vector>

class QTabWidget;
class QTableWidget;
class QTimer;

namespace kest {

class TLogger;
class TStatusData;

// The memory tool's information window "Информация" (above its owner only): the tool's
// rows on "Прибор", the selected task and channel on "Менеджер памяти", and the
// live channels or raw sensors of the pass-through modes on "Каналы".
class TStatusForm : public QWidget {
 public:
  TStatusForm(TLogger& logger, const TStatusData& data, QWidget* parent);

  // Rewrites "Прибор" from the status data (its change handler calls this).
  void StatusChanged();
  void ShowMemoryRows(const std::vector<std::pair<std::string, std::string>>& rows);
  // Rewrites "Каналы" (the refresh timer calls this).
  void RefreshChannels();
  QTabWidget* Tabs() const { return tabs_; }

 private:
  QTableWidget* MakeGrid(const char* first, const char* second);

  TLogger& logger_;
  const TStatusData& data_;
  QTabWidget* tabs_;
  QTableWidget* tool_;
  QTableWidget* memory_;
  QTableWidget* channels_;
  QTimer* refresh_;
};

}  // namespace kest
