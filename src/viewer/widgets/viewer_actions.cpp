#include "viewer/widgets/viewer_actions.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolBar>

#include "support/diagnostic_log.h"
#include "viewer/core/column_commands.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

TLogViewerAction::TLogViewerAction(ViewerCommand command, QObject* owner)
    : QAction(owner), command_(command) {
  const ViewerCommandInfo& info = InfoOf(command);
  setObjectName(info.ClassName);
  setText(info.Hint);
  setToolTip(info.Hint);
  setStatusTip(info.Hint);
  setIcon(ViewerActionIcon(info.Image));
  setCheckable(command == ViewerCommand::HandDrag || command == ViewerCommand::ShowInspector);
  connect(this, &QAction::triggered, this, [this] { Execute(); });
}

TLogViewer* TLogViewerAction::LogViewer() {
  if (!viewer_ && parent()) viewer_ = parent()->findChild<TLogViewer*>();
  return viewer_;
}

void TLogViewerAction::UpdateState() {
  TLogViewer* v = LogViewer();
  if (command_ == ViewerCommand::ShowInspector) {
    setEnabled(v && inspector_);
    setChecked(inspector_ && inspector_->isVisible());
    return;
  }
  setEnabled(CommandEnabled(v, command_));
  if (isCheckable()) setChecked(CommandChecked(v, command_));
}

void TLogViewerAction::Execute() {
  TLogViewer* v = LogViewer();
  if (!v) return;
  if (command_ == ViewerCommand::ShowInspector) {
    if (inspector_ && inspector_->isVisible()) {
      inspector_->close();
    } else {
      v->ShowInspector();
    }
  } else if (ChangesColumns(command_)) {
    std::string before = LayoutSnapshot(*v);
    RunCommand(*v, command_);
    if (OnColumnsChanged) OnColumnsChanged(std::move(before), InfoOf(command_).Hint);
  } else {
    RunCommand(*v, command_);
  }
  UpdateState();
}

void TViewerToolBar::SetOnColumnsChanged(
    const std::function<void(std::string, std::string)>& handler) {
  for (TLogViewerAction* a : actions_) a->OnColumnsChanged = handler;
}

TLogViewerAction* CreateViewerAction(const std::string& class_name, QObject* owner) {
  ViewerCommand command;
  return CommandOfClass(class_name, command) ? new TLogViewerAction(command, owner) : nullptr;
}

TLogViewerScaleCombo::TLogViewerScaleCombo(QWidget* parent) : QComboBox(parent) {
  setObjectName("LogViewerScaleCombo");
  setToolTip("Масштаб");
  setStatusTip("Масштаб");
  setMinimumWidth(90);
  for (const std::string& item : ScaleComboItems()) addItem(QString::fromStdString(item));
  setEnabled(false);
  connect(this, &QComboBox::activated, this, [this](int index) {
    try {
      ChooseScaleComboItem(viewer_, index);
    } catch (const std::exception& e) {
      Diag().Error(std::string("Scale box: ") + e.what());
    }
  });
}

void TLogViewerScaleCombo::SetLogViewer(TLogViewer* viewer) {
  viewer_ = viewer;
  SetViewer(viewer);
  Follow();
}

void TLogViewerScaleCombo::ViewerChanged(TLogViewerEvents) { Follow(); }

void TLogViewerScaleCombo::Follow() {
  if (!viewer_) {
    setEnabled(false);
    return;
  }
  const int index = ScaleComboIndex(*viewer_);
  if (index != currentIndex()) setCurrentIndex(index);
  setEnabled(viewer_->RootColumn()->LSon() != nullptr);
}

// --- Icons ------------------------------------------------------------------------
// One small consistent set, drawn: a sheet of paper with a column, arrows, a cross.

namespace {

void Column(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.setBrush(QColor(250, 250, 240));
  p.drawRect(r);
}

void Cross(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(200, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(r.topLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomLeft());
}

void Plus(QPainter& p, QPointF c, qreal s) {
  p.setPen(QPen(QColor(20, 130, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(c.x() - s, c.y()), QPointF(c.x() + s, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - s), QPointF(c.x(), c.y() + s));
}

void Magnifier(QPainter& p, bool in) {
  p.setPen(QPen(QColor(40, 40, 40), 1.6));
  p.setBrush(QColor(210, 230, 250));
  p.drawEllipse(QPointF(9, 9), 6, 6);
  p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13.5, 13.5), QPointF(20, 20));
  p.setPen(QPen(QColor(20, 60, 140), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(6, 9), QPointF(12, 9));
  if (in) p.drawLine(QPointF(9, 6), QPointF(9, 12));
}

}  // namespace

QIcon ViewerActionIcon(int image) {
  QPixmap pixmap(22, 22);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (image) {
    case 0:
      Magnifier(p, true);
      break;
    case 1:
      Magnifier(p, false);
      break;
    case 2:  // below the current: a wide header over a new column
      Column(p, QRectF(3.5, 2.5, 15, 5));
      Column(p, QRectF(3.5, 9.5, 9, 10));
      Plus(p, QPointF(16.5, 15), 3.5);
      break;
    case 3:  // to the left
      Column(p, QRectF(11.5, 2.5, 8, 17));
      Plus(p, QPointF(6, 11), 4);
      break;
    case 4:  // to the right
      Column(p, QRectF(2.5, 2.5, 8, 17));
      Plus(p, QPointF(16, 11), 4);
      break;
    case 5:  // delete the column
      Column(p, QRectF(5.5, 2.5, 10, 17));
      Cross(p, QRectF(7, 7, 8, 8));
      break;
    case 6:  // delete all
      Column(p, QRectF(2.5, 2.5, 7, 17));
      Column(p, QRectF(11.5, 2.5, 7, 17));
      Cross(p, QRectF(5, 6, 12, 10));
      break;
    case 7: {  // hand: a palm and four fingers
      p.setPen(QPen(QColor(90, 60, 30), 1.2));
      p.setBrush(QColor(245, 210, 170));
      p.drawRoundedRect(QRectF(5, 10, 12, 9), 3, 3);
      for (int f = 0; f < 4; ++f)
        p.drawRoundedRect(QRectF(5 + f * 3.1, 3 + (f % 3), 2.8, 9), 1.4, 1.4);
      p.drawRoundedRect(QRectF(1.5, 11, 5, 2.8), 1.4, 1.4);
      break;
    }
    case 8:  // inspector: a list of properties
      Column(p, QRectF(3.5, 2.5, 15, 17));
      p.setPen(QPen(QColor(20, 60, 140), 1.6));
      for (int row = 0; row < 4; ++row) {
        p.drawLine(QPointF(6, 6.5 + row * 3.5), QPointF(9, 6.5 + row * 3.5));
        p.drawLine(QPointF(11, 6.5 + row * 3.5), QPointF(16, 6.5 + row * 3.5));
      }
      break;
    default:
      break;
  }
  return QIcon(pixmap);
}

// --- Tool bar ---------------------------------------------------------------------

TViewerToolBar::TViewerToolBar(QToolBar* bar, TLogViewer* viewer, QWidget* inspector) {
  using C = ViewerCommand;
  auto add = [&](C command) {
    auto* action = new TLogViewerAction(command, bar);
    action->SetLogViewer(viewer);
    action->SetInspector(inspector);
    bar->addAction(action);
    actions_.push_back(action);
  };
  add(C::DecVScale);
  add(C::IncVScale);
  combo_ = new TLogViewerScaleCombo(bar);
  combo_->SetLogViewer(viewer);
  bar->addWidget(combo_);
  for (C command : {C::CreateColumnBelow, C::CreateColumnBefore, C::CreateColumnAfter,
                    C::DeleteColumn, C::Clear, C::HandDrag, C::ShowInspector})
    add(command);
  SetViewer(viewer);
  UpdateState();
}

TViewerToolBar::~TViewerToolBar() = default;

void TViewerToolBar::UpdateState() {
  for (TLogViewerAction* a : actions_) a->UpdateState();
}

TLogViewerAction* TViewerToolBar::Action(ViewerCommand command) const {
  for (TLogViewerAction* a : actions_)
    if (a->Command() == command) return a;
  return nullptr;
}

}  // namespace kest
