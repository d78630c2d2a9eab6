#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "session/log_document.h"

class QFileSystemModel;
class QListWidget;
class QPlainTextEdit;
class QTreeView;

namespace kest {

class CurveAdder;
class TLogSheet;
class TLogParameters;
class WindowQuestions;

// "Добавление кривой": browse to a log, see its information and curves, add the
// checked ones to the working sheet as foreign tracks (CurveAdder does the work).
class TCurveAddWindow : public QDialog {
 public:
  TCurveAddWindow(TLogSheet& target, TLogParameters& dictionary, WindowQuestions& questions,
                  LogFileOptions options, const std::string& folder, QWidget* parent = nullptr);
  ~TCurveAddWindow() override;

  // Loads a file as choosing it in the browser does.
  void ChooseFile(const std::string& path);
  // "Добавить": every checked curve; `added` runs when something was added.
  void AddChecked();
  std::function<void()> OnAdded;

  QListWidget* Curves() const { return curves_; }
  QPlainTextEdit* Information() const { return info_; }

 private:
  TLogSheet& target_;
  WindowQuestions& questions_;
  LogFileOptions options_;
  std::unique_ptr<CurveAdder> adder_;
  QFileSystemModel* files_ = nullptr;
  QTreeView* tree_ = nullptr;
  QPlainTextEdit* info_ = nullptr;
  QListWidget* curves_ = nullptr;
};

}  // namespace kest
