#pragma once

#include <QDialog>
#include <memory>

#include "app/core/research_params_form.h"

class QComboBox;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kest {

// "Параметры": the research parameters of a new research. Rows come from the
// descriptions; rows with a list file get a drop-down of its values and "..." (the
// values editor). OK is enabled when every mandatory row has a value; on OK,
// ResearchName() and Params() hold what the new research is opened with.
class TResearchParamsDialog : public QDialog {
 public:
  TResearchParamsDialog(TResearchParameters& descriptions, std::string data_dir,
                        std::string research_base, const StringList& current,
                        QWidget* parent = nullptr);
  ~TResearchParamsDialog() override;

  ResearchParamsForm& Form() { return form_; }
  // Puts a value into the row shown as `display_name` (as typing would).
  void SetValue(const std::string& display_name, const std::string& value);
  bool OkEnabled() const;
  // What OK does: false keeps the dialog open (a message was shown, or `error` got it).
  bool Accept(std::string* error = nullptr);
  const std::string& ResearchName() const { return name_; }
  const StringList& Params() const { return params_; }

 private:
  void FillRows();
  void RowChanged(int row, const QString& text);
  void UpdateMarks();
  void EditValues(int row);
  void Browse();
  void SetVariant(int variant);

  TResearchParameters& descriptions_;
  std::string data_dir_;
  std::string research_base_;
  ResearchParamsForm form_;
  StringList params_;
  std::string name_;
  QTableWidget* table_ = nullptr;
  QComboBox* cbOilField_ = nullptr;
  QComboBox* cbWell_ = nullptr;
  QRadioButton* variant1_ = nullptr;
  QPushButton* ok_ = nullptr;
  QString last_folder_;
};

}  // namespace kest
