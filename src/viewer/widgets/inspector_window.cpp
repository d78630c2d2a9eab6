#include "viewer/widgets/inspector_window.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "support/diagnostic_log.h"
#include "viewer/core/column_class_list.h"
#include "viewer/core/column_commands.h"
#include "viewer/widgets/column_glyphs.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

namespace {

constexpr int kWidth = 250;
constexpr int kHeight = 369;
constexpr int kRowHeight = 22;
constexpr int kCaptionWidth = 106;

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

Qt::PenStyle ToQtStyle(TPenStyle s) {
  switch (s) {
    case psSolid:
      return Qt::SolidLine;
    case psDash:
      return Qt::DashLine;
    case psDot:
      return Qt::DotLine;
    case psDashDot:
      return Qt::DashDotLine;
    case psDashDotDot:
      return Qt::DashDotDotLine;
    case psClear:
      return Qt::NoPen;
  }
  return Qt::SolidLine;
}

void DrawPen(QPainter& p, const QRect& r, const TPen& pen, const QColor& color) {
  QPen q(color, pen.Width, ToQtStyle(pen.Style));
  q.setCapStyle(Qt::FlatCap);
  p.setPen(q);
  const int y = r.top() + r.height() / 2;
  p.drawLine(r.left() + 2, y, r.right() - 2, y);
}

void DrawSpectrum(QPainter& p, const QRect& r, TSpectrum s) {
  // Pure green reads badly on a small swatch; its end is drawn darker.
  auto end = [](TColor c) { return c == RGBColor(0, 255, 0) ? ToQColor(0x008000) : ToQColor(c); };
  QLinearGradient g(r.topLeft(), r.topRight());
  g.setColorAt(0, end(SpectrumTable(s).front()));
  g.setColorAt(1, end(SpectrumTable(s).back()));
  p.fillRect(r, g);
}

// One item of an owner-drawn list, or the value shown in a closed one.
void DrawItem(QPainter& p, TInspectorEditor kind, int index, const QRect& r, bool selected,
              const QPalette& palette) {
  p.fillRect(r, selected ? palette.highlight() : palette.base());
  if (index < 0) return;
  switch (kind) {
    case TInspectorEditor::kPen:
      DrawPen(p, r, InspectorPens()[static_cast<size_t>(index)],
              selected ? palette.highlightedText().color() : palette.text().color());
      break;
    case TInspectorEditor::kColor:
      p.fillRect(r.adjusted(2, 2, -2, -2), ToQColor(InspectorColors()[static_cast<size_t>(index)]));
      break;
    case TInspectorEditor::kSpectrum:
      DrawSpectrum(p, r.adjusted(2, 2, -2, -2), static_cast<TSpectrum>(index));
      break;
    case TInspectorEditor::kList:
      break;
  }
}

class SwatchDelegate : public QStyledItemDelegate {
 public:
  SwatchDelegate(TInspectorEditor kind, QObject* parent)
      : QStyledItemDelegate(parent), kind_(kind) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    p->save();
    DrawItem(*p, kind_, index.row(), option.rect, option.state & QStyle::State_Selected,
             option.palette);
    p->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return {60, 18};
  }

 private:
  TInspectorEditor kind_;
};

// A drop-down whose items are pens, colours or ramps instead of text.
class SwatchComboBox : public QComboBox {
 public:
  SwatchComboBox(TInspectorEditor kind, QWidget* parent) : QComboBox(parent), kind_(kind) {
    setItemDelegate(new SwatchDelegate(kind, this));
    setMaxVisibleItems(kind == TInspectorEditor::kPen ? 6 : 8);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(p, kind_, currentIndex(), field, false, palette());
  }

 private:
  TInspectorEditor kind_;
};

}  // namespace

// Column 0 the caption, column 1 the row's value as the row draws it.
class TLogViewerInspector::CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(TLogViewerInspector& inspector)
      : QStyledItemDelegate(&inspector), inspector_(inspector) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const TInspectorModel& model = inspector_.model_;
    if (index.row() >= model.RowCount()) return;
    const TPropertyViewer& row = model.Row(index.row());
    const QRect r = option.rect;
    p->save();
    p->fillRect(r, option.palette.base());
    p->setClipRect(r);
    if (index.column() == 0) {
      const bool selected = option.state & QStyle::State_Selected;
      if (selected) p->fillRect(r, option.palette.highlight());
      p->setPen(selected ? option.palette.highlightedText().color()
                         : option.palette.text().color());
      p->drawText(r.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                  QString::fromStdString(row.Caption()));
    } else {
      PaintValue(*p, row, r);
    }
    p->setPen(option.palette.mid().color());
    p->drawLine(r.bottomLeft(), r.bottomRight());
    p->drawLine(r.topRight(), r.bottomRight());
    p->restore();
  }

 private:
  static void PaintValue(QPainter& p, const TPropertyViewer& row, const QRect& r) {
    switch (row.Editor()) {
      case TInspectorEditor::kPen:
        DrawPen(p, r, static_cast<const TPenRow&>(row).Value(), Qt::black);
        break;
      case TInspectorEditor::kColor:
        p.fillRect(r.adjusted(4, 4, -4, -4), ToQColor(static_cast<const TColorRow&>(row).Value()));
        break;
      case TInspectorEditor::kSpectrum:
        DrawSpectrum(p, r.adjusted(4, 4, -4, -4), static_cast<const TSpectrumRow&>(row).Value());
        break;
      case TInspectorEditor::kList:
        p.setPen(Qt::black);
        p.drawText(r.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromStdString(row.ValueText()));
        break;
    }
  }
  TLogViewerInspector& inspector_;
};

TLogViewerInspector::TLogViewerInspector(QWidget* parent, bool editor_mode)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), model_(editor_mode) {
  setWindowTitle(QString::fromUtf8("Инспектор"));
  setFixedWidth(kWidth);
  resize(kWidth, kHeight);

  tool_bar_ = new QToolBar(this);
  tool_bar_->setIconSize(QSize(18, 18));
  kinds_ = new QActionGroup(this);
  kinds_->setExclusive(true);
  const TColumnClassList& classes = TColumnClassList::Instance();
  for (int i = 0; i < classes.Count(); ++i) {
    const TColumnClass& c = classes.Items(i);
    QAction* a = tool_bar_->addAction(QIcon(ColumnGlyph(c.Glyph)), QString::fromStdString(c.Hint));
    // The button remakes the focused column: the hint says so (the curve and its
    // look go with the old kind; "Отменить" brings them back).
    const QString what = QString::fromStdString(c.Hint);
    a->setToolTip("Сделать колонку такой: " + what +
                  " (вид колонки меняется, её кривая и оформление пропадают)");
    a->setStatusTip(a->toolTip());
    a->setCheckable(true);
    kinds_->addAction(a);
    const std::string name = c.Name;
    connect(a, &QAction::triggered, this, [this, name] {
      model_.ChangeKind(name);
      UpdateKinds();  // a refused change leaves the old kind pressed
    });
  }

  grid_ = new QTableWidget(0, 2, this);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  // The caption column is wide enough for the longest caption of any property
  // ("Верхняя граница" does not fit the classic 106 pixels in every font).
  int caption_width = kCaptionWidth;
  for (const TPropertyViewerClass& v : PropertyViewers())
    caption_width = std::max(
        caption_width, fontMetrics().horizontalAdvance(QString::fromStdString(v.Caption)) + 6);
  grid_->horizontalHeader()->setDefaultSectionSize(kCaptionWidth);
  grid_->setColumnWidth(0, std::min(caption_width, 150));
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setShowGrid(false);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setItemDelegate(new CellDelegate(*this));
  grid_->installEventFilter(this);
  connect(grid_, &QTableWidget::currentCellChanged, this, [this] { PlaceEditor(); });
  connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceEditor(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tool_bar_);
  layout->addWidget(grid_);

  model_.OnRowsChanged = [this] { RebuildRows(); };
  model_.OnValuesChanged = [this] { RefreshValues(); };
  model_.OnColumnsChanged = [this](std::string before, std::string text) {
    if (OnColumnsChanged) OnColumnsChanged(std::move(before), std::move(text));
  };
  RebuildRows();
}

TLogViewerInspector::~TLogViewerInspector() {
  model_.OnRowsChanged = nullptr;
  model_.OnValuesChanged = nullptr;
  model_.OnColumnsChanged = nullptr;
  Detach();
}

void TLogViewerInspector::Detach() {
  if (viewer_ && installed_) viewer_->OnShowInspector = nullptr;
  installed_ = false;
  if (viewer_) disconnect(viewer_, nullptr, this, nullptr);
  viewer_ = nullptr;
}

void TLogViewerInspector::SetViewer(TLogViewer* viewer) {
  if (viewer == viewer_) return;
  Detach();
  viewer_ = viewer;
  if (viewer) {
    if (!viewer->OnShowInspector) {
      viewer->OnShowInspector = [this] {
        show();
        raise();
      };
      installed_ = true;
    }
    // The viewer's columns go with it: show nothing from then on.
    connect(viewer, &QObject::destroyed, this, [this] {
      installed_ = false;
      model_.SetViewer(nullptr);
    });
  }
  model_.SetViewer(viewer);
}

void TLogViewerInspector::ShowColumn(TLogViewerColumn* column) { model_.ShowColumn(column); }

void TLogViewerInspector::RebuildRows() {
  if (shown_) shown_->hide();
  shown_ = nullptr;
  for (QComboBox* e : editors_) e->deleteLater();
  editors_.clear();
  grid_->clearContents();
  grid_->setRowCount(model_.RowCount());
  for (int i = 0; i < model_.RowCount(); ++i) {
    const TPropertyViewer& row = model_.Row(i);
    QComboBox* editor = row.Editor() == TInspectorEditor::kList
                            ? new QComboBox(grid_->viewport())
                            : new SwatchComboBox(row.Editor(), grid_->viewport());
    for (const auto& text : row.Choices()) editor->addItem(QString::fromStdString(text));
    editor->hide();
    connect(editor, &QComboBox::activated, this, [this, i](int index) {
      try {
        model_.Choose(i, index);
      } catch (const EKestError& e) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.what()));
        RefreshValues();
      }
    });
    editors_.push_back(editor);
    LoadEditor(i);
  }
  UpdateKinds();
  grid_->viewport()->update();
  if (model_.RowCount() > 0) grid_->setCurrentCell(0, 1);
  PlaceEditor();
}

void TLogViewerInspector::LoadEditor(int row) {
  QComboBox* editor = editors_[static_cast<size_t>(row)];
  QSignalBlocker block(editor);
  int index = -1;
  try {
    index = model_.Row(row).SelectedIndex();
  } catch (const EKestError& e) {
    // A value outside the list (a colour from a layout, say) stays as it is: the
    // list shows no selection, the value cell still draws the value.
    Diag().Error(std::string("Inspector: ") + e.what());
  }
  editor->setCurrentIndex(index);
}

void TLogViewerInspector::RefreshValues() {
  for (int i = 0; i < static_cast<int>(editors_.size()); ++i) LoadEditor(i);
  grid_->viewport()->update();
}

void TLogViewerInspector::PlaceEditor() {
  const int row = grid_->currentRow();
  QComboBox* editor = row >= 0 && row < static_cast<int>(editors_.size())
                          ? editors_[static_cast<size_t>(row)]
                          : nullptr;
  if (shown_ && shown_ != editor) shown_->hide();
  shown_ = editor;
  if (!editor) return;
  editor->setGeometry(grid_->visualRect(grid_->model()->index(row, 1)));
  editor->show();
}

void TLogViewerInspector::UpdateKinds() {
  const int checked = model_.CheckedKind();
  const auto actions = kinds_->actions();
  for (int i = 0; i < actions.size(); ++i) {
    QSignalBlocker block(actions[i]);
    actions[i]->setEnabled(model_.KindsEnabled());
    actions[i]->setChecked(i == checked);
  }
  // An exclusive group keeps one action checked; with no column none is.
  kinds_->setExclusionPolicy(checked < 0 ? QActionGroup::ExclusionPolicy::ExclusiveOptional
                                         : QActionGroup::ExclusionPolicy::Exclusive);
  if (checked < 0 && kinds_->checkedAction()) kinds_->checkedAction()->setChecked(false);
}

bool TLogViewerInspector::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier) && shown_) {
      shown_->showPopup();
      return true;
    }
  }
  if (watched == grid_ && event->type() == QEvent::Resize) PlaceEditor();
  return QWidget::eventFilter(watched, event);
}

void TLogViewerInspector::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  QScreen* s = screen();
  if (!s || !isWindow()) return;
  const QRect f = frameGeometry();
  const QRect a = s->availableGeometry();
  const TPoint p = SnapToScreen({f.left(), f.top(), f.right() + 1, f.bottom() + 1},
                                {a.left(), a.top(), a.right() + 1, a.bottom() + 1});
  if (p.X != f.left() || p.Y != f.top()) move(p.X, p.Y);
}

}  // namespace kest
