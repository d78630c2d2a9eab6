#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "session/log_document.h"
#include "session/research_browser.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kest {

class TLogSheet;
class TLogParameters;
class TResearchParameters;
class WindowQuestions;

// "Выбор кривых": the curves of one log (all but track 0) and the whole file or an
// interval in metres (minutes). The bounds are checked by ParseChoiceBounds.
class TCurveChoiceDialog : public QDialog {
 public:
  TCurveChoiceDialog(const TLogSheet& sheet, WindowQuestions& questions, QWidget* parent = nullptr);
  // The choice made ("OK"); "Отмена" keeps every curve and the whole file.
  CurveChoice Choice() const { return choice_; }
  QListWidget* Curves() const { return curves_; }
  QRadioButton* IntervalButton() const { return interval_; }
  QLineEdit* LowEdit() const { return low_; }
  QLineEdit* HighEdit() const { return high_; }
  // The OK button's check: false keeps the dialog open with the message shown.
  bool Accept();

 private:
  const TLogSheet& sheet_;
  WindowQuestions& questions_;
  CurveChoice choice_;
  QListWidget* curves_ = nullptr;
  QRadioButton* whole_ = nullptr;
  QRadioButton* interval_ = nullptr;
  QLineEdit* low_ = nullptr;
  QLineEdit* high_ = nullptr;
};

// "Предыдущие записи": the research folders, their logs, well data, deletion,
// export and the report. The rules are those of research_browser.h.
class TResearchBrowserWindow : public QDialog {
 public:
  TResearchBrowserWindow(std::string root, std::string data_dir, TLogParameters& dictionary,
                         TResearchParameters& descriptions, WindowQuestions& questions,
                         LogFileOptions options, QWidget* parent = nullptr);

  void Reload();
  void SelectFolder(const std::string& path);
  QTreeWidget* Tree() const { return tree_; }
  QTreeWidget* Logs() const { return logs_; }
  // Paths of the selected logs.
  std::vector<std::string> SelectedLogs() const;
  // "Сохранить в LAS" / "Сохранить в LS" once the curve mode and folder are chosen.
  void Export(const std::string& format, bool choose, const std::string& destination);
  // After "Копировать выбранные файлы в <folder> ?" answered Yes, Export; false when
  // the answer was No.
  bool ExportTo(const std::string& format, bool choose, const std::string& destination);
  // "Справка по материалу": writes the report as ODT and PDF into `folder`, returns
  // the PDF's path ("" on failure) and opens it when `open` is set.
  std::string Report(const std::string& folder, bool open);
  void ShowWellData();
  void DeleteSelected();
  void OpenInEditor(const std::string& path);

 private:
  void AddNodes(QTreeWidgetItem* parent, const std::vector<ResearchFolderNode>& nodes);
  void ExportMenu(const std::string& format);
  std::string FolderOf(QTreeWidgetItem* item) const;

  std::string root_;
  std::string data_dir_;
  TLogParameters& dictionary_;
  TResearchParameters& descriptions_;
  WindowQuestions& questions_;
  LogFileOptions options_;
  std::string folder_;
  QTreeWidget* tree_ = nullptr;
  QTreeWidget* logs_ = nullptr;
  QProgressBar* progress_ = nullptr;
  bool filling_ = false;
};

}  // namespace kest
