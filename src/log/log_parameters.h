#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "support/errors.h"

namespace kest {

KEST_DECLARE_ERROR(ELogParametersError, EKestError);

// One described quantity: how a sensor or a recorded parameter is shown and
// exchanged.
struct TLogParameter {
  std::string Name;     // upper case; the key
  std::string Caption;  // long display name
  std::string ShortCaption;
  std::string Units;
  std::string Mnemonic;  // the name used in exchange files (LAS)
  std::string Reserved;  // not filled from the file
  std::string Format;    // display format such as "0.00"
  float Number = 0;      // stored, not used by the module layer
};

// A parameter description table. The program has two: the sensor table (file
// "sensors") and the parameter table (file "log params"); the parameter table
// falls back to the sensor table in Get and the mnemonic look-ups. A table file is
// one list of entries, each
//   (NAME "Caption" "Short caption" "Units" "MNEMONIC" "Format" number)
// Entries never move once added, so references to them stay valid.
class TLogParameters {
 public:
  // `sensors` is the table to fall back to (none for the sensor table itself).
  explicit TLogParameters(const TLogParameters* sensors = nullptr) : sensors_(sensors) {}
  TLogParameters(const TLogParameters&) = delete;
  TLogParameters& operator=(const TLogParameters&) = delete;

  // Replaces the entries with those of the file (read with the script engine).
  // Raises EInOutError, ELispReadError or ELispEvalError for a bad file; the table is
  // then left unchanged.
  void Load(const std::string& path);

  int Count() const { return static_cast<int>(items_.size()); }
  const TLogParameter& Items(int i) const { return items_[static_cast<size_t>(i)]; }
  bool IsSensorTable() const { return sensors_ == nullptr; }

  // The first entry of this table with the upper-cased name.
  const TLogParameter* Find(std::string_view name) const;
  // Find here, then in the sensor table; ELogParametersError
  // "Parameter \"%s\" not found" when neither has it.
  const TLogParameter& Get(std::string_view name) const;
  // The first entry whose mnemonic matches (case-insensitively), here, then in the
  // sensor table.
  const TLogParameter* FindByMnemonic(std::string_view mnemonic) const;
  // FindByMnemonic, else a new entry in this table named after the mnemonic (units
  // "у.е.", format "0.00"), announced once through OnMissingDescription.
  const TLogParameter& GetByMnemonic(std::string_view mnemonic);
  // Appends an entry; returns its index.
  int Add(std::string_view name, std::string_view caption, float number, std::string_view format,
          std::string_view mnemonic, std::string_view units, std::string_view short_caption);

  // Tells the user that an exchange file named an undescribed parameter: the
  // message "Отсутствует описание параметра \"%s\"." under the caption "Внимание !".
  // The desktop program shows a message box; without a handler the message goes to
  // the diagnostic log.
  std::function<void(const std::string& message, const std::string& caption)> OnMissingDescription;

 private:
  void Index(int i);

  const TLogParameters* sensors_;
  std::deque<TLogParameter> items_;
  // The first entry of each upper-cased name and mnemonic: an exchange file with
  // thousands of curves is looked up in linear time, not quadratic.
  std::unordered_map<std::string, int> by_name_, by_mnemonic_;
};

// The program's two tables, read from the data folder at start-up ("LogSensors
// initialized", "LogParameters initialized" in the diagnostic log). One owner may
// exist at a time; it makes the tables reachable through LogSensors() and
// LogParameters() until it is destroyed. A table that cannot be read raises (the
// program cannot start without them).
class TLogParameterTables {
 public:
  explicit TLogParameterTables(const std::string& data_dir);
  // Tables built by the caller (tests).
  TLogParameterTables();
  ~TLogParameterTables();
  TLogParameterTables(const TLogParameterTables&) = delete;
  TLogParameterTables& operator=(const TLogParameterTables&) = delete;

  TLogParameters& Sensors() { return *sensors_; }
  TLogParameters& Parameters() { return *parameters_; }

  static constexpr const char* kSensorsFile = "sensors";
  static constexpr const char* kParametersFile = "log params";

 private:
  void Install();
  std::unique_ptr<TLogParameters> sensors_;
  std::unique_ptr<TLogParameters> parameters_;
};

// The global tables; an assertion failure when no TLogParameterTables exists.
TLogParameters& LogSensors();
TLogParameters& LogParameters();
bool LogParametersExist();

}  // namespace kest
