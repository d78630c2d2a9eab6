#pragma once

#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <functional>
#include <string>

#include "viewer/core/viewer_commands.h"
#include "viewer/core/viewer_links.h"

class QToolBar;

namespace kest {

class TLogViewer;

// A ready-made tablet command for menus and tool bars. It binds itself to the
// tablet of its owner (the first TLogViewer among the owner's children) unless one
// is set, enables itself by the command's rule and runs the command when triggered.
class TLogViewerAction : public QAction {
 public:
  TLogViewerAction(ViewerCommand command, QObject* owner);

  ViewerCommand Command() const { return command_; }
  TLogViewer* LogViewer();
  void SetLogViewer(TLogViewer* viewer) { viewer_ = viewer; }
  // "Инспектор" shows and closes this window.
  void SetInspector(QWidget* inspector) { inspector_ = inspector; }
  // Enabled and checked from the tablet's state now.
  void UpdateState();
  // Told of every change of the columns the action made, with the layout before it
  // and the action's hint (the window records it for "Отменить").
  std::function<void(std::string before, std::string text)> OnColumnsChanged;

 private:
  void Execute();

  ViewerCommand command_;
  QPointer<TLogViewer> viewer_;
  QPointer<QWidget> inspector_;
};

// A tablet command created by its class name ("TLogViewerIncVScale"), as a stored
// window layout names it; null for an unknown name.
TLogViewerAction* CreateViewerAction(const std::string& class_name, QObject* owner);

// The scale box: "1:20" ... "1:120000"; follows the tablet's scale and sets it.
class TLogViewerScaleCombo : public QComboBox, private TLVLink {
 public:
  explicit TLogViewerScaleCombo(QWidget* parent = nullptr);
  void SetLogViewer(TLogViewer* viewer);
  TLogViewer* LogViewer() const { return viewer_; }

 private:
  void ViewerChanged(TLogViewerEvents events) override;
  void Follow();

  TLogViewer* viewer_ = nullptr;
};

// The icon of a tablet command by its image index (0 ... 8): drawn, not loaded.
QIcon ViewerActionIcon(int image);

// The tool bar "Работа с планшетом" in its order: "Дальше", "Ближе", the scale box,
// the three column creations, "Удалить колонку", "Удалить все", "Прокрутка рукой",
// "Инспектор". Keeps its actions' state following the tablet.
class TViewerToolBar : private TLVLink {
 public:
  TViewerToolBar(QToolBar* bar, TLogViewer* viewer, QWidget* inspector);
  ~TViewerToolBar() override;
  void UpdateState();
  TLogViewerAction* Action(ViewerCommand command) const;
  TLogViewerScaleCombo* Combo() const { return combo_; }
  // See TLogViewerAction::OnColumnsChanged; given to every action of the bar.
  void SetOnColumnsChanged(const std::function<void(std::string, std::string)>& handler);

 private:
  void ViewerChanged(TLogViewerEvents) override { UpdateState(); }
  std::vector<TLogViewerAction*> actions_;
  TLogViewerScaleCombo* combo_ = nullptr;
};

}  // namespace kest
