#include "memtool/status_data.h"

#include "memtool/task_table.h"
#include "memtool/tool_codec.h"

namespace kest {

const char* TStatusData::RowTitle(int row) {
  static constexpr const char* kTitles[kRowCount] = {
      "Всего памяти(КБ)",    "Заданий",    "Тест АЦП",           "Тест памяти (чип 1)",
      "Тест памяти (чип 2)", "Тест часов", "Посл. синхр. часов", "Питание прибора"};
  return row >= 0 && row < kRowCount ? kTitles[row] : "";
}

void TStatusData::SetText(int row, std::string text) {
  texts_.at(static_cast<size_t>(row)) = std::move(text);
  if (OnChange) OnChange();
}

void TStatusData::SetMode(int mode) {
  mode_ = mode;
  if (OnChange) OnChange();
}

void TStatusData::ShowStatus(const ToolStatus& s) {
  auto test = [](bool ok) { return ok ? "Исправно" : "Ошибка!"; };
  if (s.PageCount == TTaskDefTable::kPageCount)
    SetText(kMemory, std::to_string(TTaskDefTable::kPageCount * TTaskDefTable::kPageSize / 1024));
  SetText(kTasks, std::to_string(s.TaskCount));
  SetText(kAdcTest, test(s.AdcOk));
  SetText(kChip1Test, test(s.Chip1Ok));
  SetText(kChip2Test, test(s.Chip2Ok));
  SetText(kClockTest, test(s.ClockOk));
  SetText(kPower, s.OnBattery ? "Батареи" : "Сеть");
}

}  // namespace kest
