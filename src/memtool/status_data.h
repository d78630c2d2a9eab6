#pragma once

#include <array>
#include <functional>
#include <string>

namespace kest {

struct ToolStatus;

// The texts of the information window's "Прибор" page, one per row, and the mode of
// its "Каналы" page. Every change calls OnChange.
class TStatusData {
 public:
  enum Row {
    kMemory,     // "Всего памяти(КБ)"
    kTasks,      // "Заданий"
    kAdcTest,    // "Тест АЦП"
    kChip1Test,  // "Тест памяти (чип 1)"
    kChip2Test,  // "Тест памяти (чип 2)"
    kClockTest,  // "Тест часов"
    kLastSync,   // "Посл. синхр. часов"
    kPower,      // "Питание прибора"
    kRowCount
  };
  // 0 = live channels with coefficients, 1 = raw sensors.
  enum ChannelMode { kWithCoefficients = 0, kWithoutCoefficients = 1 };

  static const char* RowTitle(int row);
  const std::string& Text(int row) const { return texts_.at(static_cast<size_t>(row)); }
  void SetText(int row, std::string text);
  int Mode() const { return mode_; }
  void SetMode(int mode);

  // Shows a status word: memory only when it reports the full 8192 pages, the task
  // count, the tests ("Исправно" / "Ошибка!") and the power ("Батареи" / "Сеть").
  void ShowStatus(const ToolStatus& status);

  std::function<void()> OnChange;

 private:
  std::array<std::string, kRowCount> texts_;
  int mode_ = kWithCoefficients;
};

}  // namespace kest
