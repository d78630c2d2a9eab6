#pragma once

#include <QLineEdit>
#include <QString>

namespace kest {

// A number field: a line edit with a Value shown through DisplayFormat ("0.0#").
// Keys that cannot make a number are dropped as they are typed: digits always, the
// point when AllowPoint and there is none yet, "-" when AllowMinus at the start.
// An empty text or "-" reads as 0.
class TFixedEdit : public QLineEdit {
 public:
  explicit TFixedEdit(QWidget* parent = nullptr);

  double Value() const;
  // Whether the text reads as a number (a pasted text may not). Mark() shows the
  // field as wrong until its text changes.
  bool Valid() const;
  void Mark();
  void SetValue(double value);
  QString DisplayFormat = "0.0#";
  bool AllowPoint = true;
  bool AllowMinus = true;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kest
