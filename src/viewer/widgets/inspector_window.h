#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "viewer/core/inspector_model.h"

class QActionGroup;
class QComboBox;
class QTableWidget;
class QToolBar;

namespace kest {

class TLogViewer;
class TLogViewerColumn;

// "Инспектор": a tool window over the viewer's focused column. A tool bar changes
// the column's kind; a grid lists its properties, each edited with a drop-down
// placed over the selected row's value cell. Choices are written at once.
class TLogViewerInspector : public QWidget {
 public:
  // `editor_mode`: the curve editor, which also edits "Differential".
  TLogViewerInspector(QWidget* parent, bool editor_mode);
  ~TLogViewerInspector() override;

  // Follows `viewer` (null: none). A viewer without an inspector gets this one:
  // its ShowInspector (F11) then shows this window.
  void SetViewer(TLogViewer* viewer);
  TLogViewer* Viewer() const { return viewer_; }
  void ShowColumn(TLogViewerColumn* column);
  // Told when a kind button or a property row changed the tablet, with the layout
  // before it (the window records it for "Отменить").
  std::function<void(std::string before, std::string text)> OnColumnsChanged;

  const TInspectorModel& Model() const { return model_; }
  QTableWidget* Grid() const { return grid_; }
  QToolBar* ToolBar() const { return tool_bar_; }
  // The editor shown over the selected row, or null.
  QComboBox* ShownEditor() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  class CellDelegate;
  void RebuildRows();
  void RefreshValues();
  void LoadEditor(int row);
  void PlaceEditor();
  void UpdateKinds();
  void Detach();

  TInspectorModel model_;
  QPointer<TLogViewer> viewer_;
  bool installed_ = false;  // this window is the viewer's inspector
  QToolBar* tool_bar_ = nullptr;
  QActionGroup* kinds_ = nullptr;
  QTableWidget* grid_ = nullptr;
  std::vector<QComboBox*> editors_;  // one per row, hidden unless selected
  QComboBox* shown_ = nullptr;
};

}  // namespace kest
