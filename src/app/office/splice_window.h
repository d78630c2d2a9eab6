#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "session/log_document.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kest {

class TLogSheet;
class WindowQuestions;

// "Сшивка": the open log first, then logs added from files, joined at the splice
// depths into a composite saved to a file of its own ("Сшить"), which can then be
// opened in the editor (`OnOpen`).
class TSpliceWindow : public QDialog {
 public:
  TSpliceWindow(const TLogSheet& sheet, std::string sheet_name, WindowQuestions& questions,
                LogFileOptions options, std::string folder, QWidget* parent = nullptr);
  ~TSpliceWindow() override;

  void AddLog(const std::string& path);
  void SetSpliceDepths(const std::string& metres);  // "1100,5; 1200"
  void SetOutput(const std::string& path);
  // "Сшить": the composite written; false (and the message shown) when it failed.
  bool Splice();
  std::function<void(const std::string& path)> OnOpen;

 private:
  const TLogSheet& sheet_;
  WindowQuestions& questions_;
  LogFileOptions file_options_;
  std::string folder_;
  std::vector<std::string> files_;
  QListWidget* logs_ = nullptr;
  QLineEdit* at_ = nullptr;
  QLineEdit* out_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* open_ = nullptr;
};

}  // namespace kest
