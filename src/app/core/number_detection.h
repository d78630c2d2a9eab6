#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/logger_data_source.h"
#include "support/errors.h"

namespace kest {

class TLogger;
class TLoggerModule;
class TLoggerSensorItem;
class TModuleClasses;
class TModuleDefs;

KEST_DECLARE_ERROR(ENumberDetectionError, EKestError);

// Reading the instruments' numbers from the powered tool (window "Определение
// номера", without the widgets): one row per loaded module whose class numbers
// itself, each listening to that module's "modulenumber" sensor. A reported number
// applies the module's definition of that number; a number without a definition
// powers the tool down and ends the detection with Failure set.
class NumberDetection {
 public:
  struct Row {
    TLoggerModule* Module = nullptr;
    std::string Name;
    int32_t Number = -1;  // -1 until the tool reported it (shown "X")
  };

  // ENumberDetectionError "Sensor \"modulenumber\" not found" when such a module
  // has no number sensor.
  NumberDetection(TLogger& logger, const TModuleClasses& classes, const TModuleDefs& defs);
  ~NumberDetection();
  NumberDetection(const NumberDetection&) = delete;
  NumberDetection& operator=(const NumberDetection&) = delete;

  const std::vector<Row>& Rows() const { return rows_; }
  // No row waits for its number any more.
  bool Complete() const;
  const std::string& Failure() const { return failure_; }

  // After each change (a number arrived, or the detection failed).
  std::function<void()> OnChange;

  static constexpr const char* kSensorName = "MODULENUMBER";

 private:
  void Reported(size_t row, int32_t number);

  TLogger& logger_;
  const TModuleDefs& defs_;
  TLoggerDataSource source_;
  std::vector<Row> rows_;
  std::vector<std::unique_ptr<TLoggerSensorItem>> items_;
  std::string failure_;
};

}  // namespace kest
