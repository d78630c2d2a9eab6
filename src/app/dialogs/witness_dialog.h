#pragma once

#include <QDialog>

#include "witness/witness_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kest {

// "Трансляция": where the recorder publishes its runs live (broker, port, TLS with a
// CA file, user, password, unit) and whether it does. OK keeps the dialog open with
// the reason while the settings cannot be used (a unit name with "/", "#" or "+").
class TWitnessDialog : public QDialog {
 public:
  TWitnessDialog(const WitnessSettings& settings, QWidget* parent);

  WitnessSettings Result() const;

  QLineEdit* feHost = nullptr;
  QSpinBox* sePort = nullptr;
  QCheckBox* cbTls = nullptr;
  QLineEdit* feCaFile = nullptr;
  QLineEdit* feUser = nullptr;
  QLineEdit* fePassword = nullptr;
  QLineEdit* feUnit = nullptr;
  QCheckBox* cbEnabled = nullptr;
  QLabel* lProblem = nullptr;

  void accept() override;
};

}  // namespace kest
