#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "memtool/calibration_record.h"
#include "memtool/tool_codec.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QGroupBox;

namespace kest {

class TCoefEditForm;
class TMemoryTool;
class WindowQuestions;

// A memory-tool window's first place: beside `owner` on the right where the screen
// has room, else on its left, else below it, else over it a little lower; whole on
// the owner's screen where it fits, so it neither opens over the recorder's menu at
// the screen's corner nor runs off its edge.
void PlaceNextTo(QWidget& window, const QWidget& owner);

// "Настройка прибора": the memory tool's coefficient tables. It keeps two records,
// the calculated one (loaded, saved, recalculated from the measurements, uploaded)
// and the one read from the tool; the radio group chooses which one the grids show.
// The rules live in the memtool core (record, file, recalculation, upload); the
// window moves text and enables controls. Main thread.
class TCoefForm : public QWidget {
 public:
  static constexpr int kStandardHeight = 455;
  static constexpr int kAdditionalHeight = 573;
  static constexpr int kMetrologyHeight = 598;

  // `dir`: where the file dialogs start; `local_time`: the moment a save records.
  TCoefForm(TMemoryTool& tool, WindowQuestions& questions, std::string dir,
            std::function<ToolTime()> local_time, QWidget* parent = nullptr);
  ~TCoefForm() override;

  // Reads the tool's calibration block into the tool record and copies it into the
  // calculated one; false (records kept) when the tool does not answer.
  bool ReadFromTool();

  // The commands of the window's buttons.
  void ShowToolRecord(bool tool);  // the radio group
  void UnitTable();                // "1:1"
  void DefaultGains();             // "По умолчанию" of the gains
  void DefaultDividers();          // "По умолчанию" of the dividers
  void LoadFromFile();             // "Загрузить из файла..."
  void SaveToFile();               // "Сохранить в файл..."
  void UploadToTool();             // "Загрузить в прибор"
  void ShowMeasurements();         // "Показать замеры"
  void ToggleAdditional();         // "Дополнительно >>" / "<< Стандартные"
  void MetrologyClicked(bool alt);

  // The calculated record changed outside the grids (recalculation): show it again.
  void RecordChanged();
  TCoefRecord& Calculated() { return calculated_; }
  const TCoefRecord& ToolRecord() const { return tool_record_; }
  TCoefEditForm* EditForm() const { return edit_form_.get(); }
  QTableWidget* Grid(TCoefTable table) const;
  QTableWidget* GainGrid() const { return gains_; }
  QTableWidget* DividerGrid() const { return dividers_; }
  QPushButton* Button(const char* name) const;
  std::string MetrologyText() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QTableWidget* MakeGrid(const char* name, TCoefTable table, int column_width);
  void Fill();
  void CoefficientEdited(TCoefTable table, int row, int column);
  void GainEdited(int column);
  void DividerEdited(int column);
  void UnitsChanged(int index);
  void EnableControls();
  const TCoefRecord& Shown() const { return show_tool_ ? tool_record_ : calculated_; }

  TMemoryTool& tool_;
  WindowQuestions& questions_;
  std::string dir_;
  std::function<ToolTime()> local_time_;
  TCoefRecord calculated_;
  TCoefRecord tool_record_;
  double saved_days_ = 0;
  bool show_tool_ = false;
  bool filling_ = false;
  bool additional_ = false;
  std::unique_ptr<TCoefEditForm> edit_form_;

  QRadioButton* calculated_radio_ = nullptr;
  QRadioButton* tool_radio_ = nullptr;
  QComboBox* units_ = nullptr;
  QLabel* metrology_label_ = nullptr;
  QLineEdit* metrology_ = nullptr;
  QTableWidget* full_ = nullptr;
  QTableWidget* reduced_ = nullptr;
  QTableWidget* temperature_ = nullptr;
  QTableWidget* thermal_ = nullptr;
  QTableWidget* gains_ = nullptr;
  QTableWidget* dividers_ = nullptr;
  QGroupBox* additional_box_ = nullptr;
};

}  // namespace kest
