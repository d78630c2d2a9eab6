#include "app/core/number_detection.h"

#include <algorithm>

#include "link/logger.h"
#include "link/logger_item.h"
#include "link/logger_module.h"
#include "link/logger_sensor.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "link/module_loader.h"
#include "support/diagnostic_log.h"

namespace kest {

NumberDetection::NumberDetection(TLogger& logger, const TModuleClasses& classes,
                                 const TModuleDefs& defs)
    : logger_(logger), defs_(defs) {
  source_.SetLogger(&logger_);
  for (int m = 0; m < logger_.ModuleCount(); ++m) {
    TLoggerModule* module = logger_.Modules(m);
    const TModuleClass* cls = classes.Find(module->Name);
    if (!cls || !cls->AutoNumber) continue;
    // The index of this module's sensor among all sensors of that name.
    int index = -1;
    for (int n = 0; TLoggerSensor* s = logger_.Sensors().Find(kSensorName, n); ++n) {
      if (s->Module() == module) {
        index = n;
        break;
      }
    }
    if (index < 0) throw ENumberDetectionError("Sensor \"modulenumber\" not found");
    size_t row = rows_.size();
    rows_.push_back({module, module->Name, -1});
    auto item = std::make_unique<TLoggerSensorItem>();
    item->SetSensorName(kSensorName);
    item->SetSensorNumber(index);
    item->SetDataSource(&source_);
    TLoggerSensorItem* raw = item.get();
    item->OnChange = [this, row, raw](TLoggerItem&) { Reported(row, raw->Value); };
    items_.push_back(std::move(item));
  }
  // Numbers that came in before the window opened (the tool reports them as soon as
  // it is powered) count as reported.
  for (size_t row = 0; row < items_.size(); ++row) {
    TLoggerSensor* sensor = items_[row]->Sensor();
    if (sensor && sensor->Value != 0) Reported(row, static_cast<int32_t>(sensor->Value));
  }
}

NumberDetection::~NumberDetection() {
  for (auto& item : items_) item->OnChange = nullptr;
}

bool NumberDetection::Complete() const {
  return std::all_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.Number >= 0; });
}

void NumberDetection::Reported(size_t row, int32_t number) {
  if (!failure_.empty() || rows_[row].Number == number) return;
  const TModuleDef* def = defs_.Find(rows_[row].Name, number);
  if (!def) {
    failure_ = "Файл с тарировками для прибора " + rows_[row].Name + " #" + std::to_string(number) +
               " не найден.";
    Diag().Error(failure_);
    try {
      logger_.Initialize(false);
    } catch (const std::exception& e) {
      Diag().Error(e.what());
    }
  } else {
    ApplyDefinition(logger_, *def);
    rows_[row].Number = number;
  }
  if (OnChange) OnChange();
}

}  // namespace kest
