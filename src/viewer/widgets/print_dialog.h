#pragma once

#include <QDialog>
#include <string>

#include "viewer/core/log_print.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace kest {

class TFixedEdit;
class TLogViewerCore;

// "Печать": the head line, the range, the margins and black-and-white or colour.
// OK stores the choice in the viewer's parameter list (the print settings items);
// the caller then prints with Monochrome().
class TLogViewerPrintDialog : public QDialog {
 public:
  // `headline_folder`: where the templates are ("..." opens there). Without a
  // viewer it raises the internal error.
  TLogViewerPrintDialog(TLogViewerCore* viewer, std::string headline_folder,
                        QWidget* parent = nullptr);

  bool Monochrome() const;
  // The settings as the fields give them now.
  PrintSettings Settings() const;

  void accept() override;

  // The controls by their names, for the window's own use and for tests.
  TFixedEdit* RangeTop() const { return range_top_; }
  TFixedEdit* RangeBottom() const { return range_bottom_; }
  TFixedEdit* LeftMargin() const { return left_margin_; }
  TFixedEdit* RightMargin() const { return right_margin_; }
  QCheckBox* RangeBox() const { return range_; }
  QLineEdit* HeaderEdit() const { return header_; }
  QRadioButton* ColourButton() const { return colour_; }

 private:
  void ChooseHeadLine();
  bool TimeSheet() const;
  double Shown(int32_t argument) const;
  int32_t Argument(double shown) const;

  TLogViewerCore& viewer_;
  std::string folder_;
  QLineEdit* header_ = nullptr;
  QCheckBox* range_ = nullptr;
  TFixedEdit* range_top_ = nullptr;
  TFixedEdit* range_bottom_ = nullptr;
  TFixedEdit* left_margin_ = nullptr;
  TFixedEdit* right_margin_ = nullptr;
  QRadioButton* mono_ = nullptr;
  QRadioButton* colour_ = nullptr;
};

}  // namespace kest
