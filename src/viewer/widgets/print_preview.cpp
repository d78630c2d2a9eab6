#include "viewer/widgets/print_preview.h"

#include <QAction>
#include <QActionGroup>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

#include "log/log_sheet.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/widgets/print_device.h"
#include "viewer/widgets/qt_canvas.h"

namespace kest {

// The page: paints the rows of the print that are exposed, scaled by the zoom.
class TPrintPreviewDlg::Page : public QWidget {
 public:
  explicit Page(TPrintPreviewDlg& owner) : QWidget(nullptr), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::white);
    if (!owner_.print_) return;
    const double f = owner_.factor_;
    const int64_t first = static_cast<int64_t>(std::floor(area.top() / f));
    const int64_t rows = static_cast<int64_t>(std::ceil(area.height() / f)) + 2;
    painter.scale(f, f);
    if (owner_.head_ && first < owner_.head_->Rows())
      owner_.head_->Draw(
          painter, owner_.print_->LeftMargin(),
          QRect(0, static_cast<int>(first), owner_.device_.PageWidth, static_cast<int>(rows)));
    TQtCanvas canvas(painter);
    canvas.SetPatternScale(owner_.device_.Dpi / 96.0 * f);
    owner_.print_->DrawPage(canvas, 0, first, rows);
  }

 private:
  TPrintPreviewDlg& owner_;
};

TPrintPreviewDlg::TPrintPreviewDlg(TLogViewerCore& viewer, const PrintSettings& settings,
                                   bool monochrome, const PrintDevice& device,
                                   const RenderWarning& warning, QWidget* parent)
    : QDialog(parent),
      viewer_(viewer),
      settings_(settings),
      device_{device.Dpi, device.PageWidth, 0},
      monochrome_(monochrome),
      probe_(1, 1, QImage::Format_RGB32) {
  setWindowTitle("Предварительный просмотр");
  setObjectName("PrintPreviewDlg");
  const int dpm = static_cast<int>(std::lround(device.Dpi / 0.0254));
  probe_.setDotsPerMeterX(dpm);
  probe_.setDotsPerMeterY(dpm);
  head_ = MakeHeadLine(viewer, settings, device_, probe_, warning);

  auto* tools = new QToolBar(this);
  auto* group = new QActionGroup(this);
  const char* names[] = {"ViewAsIs", "ViewPageWidth", "ViewSheetHeight"};
  const char* captions[] = {"Как есть", "По ширине страницы", "По высоте листа"};
  for (int i = 0; i < 3; ++i) {
    QAction* a = tools->addAction(captions[i]);
    a->setObjectName(names[i]);
    a->setCheckable(true);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, i] { SetZoom(static_cast<Zoom>(i)); });
    zoom_actions_[i] = a;
  }
  tools->addSeparator();
  colour_ = tools->addAction("Цвет");
  colour_->setObjectName("aColor");
  colour_->setCheckable(true);
  colour_->setToolTip("Цветная или черно-белая печать");
  connect(colour_, &QAction::triggered, this, [this](bool on) { SetColour(on); });

  scroll_ = new QScrollArea(this);
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  scroll_->setBackgroundRole(QPalette::Dark);
  scroll_->setFocusPolicy(Qt::NoFocus);
  page_ = new Page(*this);
  scroll_->setWidget(page_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(tools);
  column->addWidget(scroll_);
  if (parent) resize(parent->width() * 3 / 4, parent->height() * 9 / 10);

  Rebuild();
  zoom_actions_[static_cast<int>(zoom_)]->setChecked(true);
}

TPrintPreviewDlg::~TPrintPreviewDlg() {
  // The viewer goes back to the screen before the window's parts go.
  print_.reset();
}

void TPrintPreviewDlg::Rebuild() {
  print_.reset();  // the viewer back to the screen first: a print starts from there
  print_ = std::make_unique<TLogPrint>(viewer_, settings_, monochrome_, device_,
                                       head_ ? head_->Rows() : 0);
  colour_->setChecked(!monochrome_);
  ApplyZoom();
}

QSize TPrintPreviewDlg::PageSize() const {
  return {device_.PageWidth, print_ ? static_cast<int>(print_->UsedRows()) : 0};
}

void TPrintPreviewDlg::SetZoom(Zoom zoom) {
  zoom_ = zoom;
  zoom_actions_[static_cast<int>(zoom)]->setChecked(true);
  ApplyZoom();
}

void TPrintPreviewDlg::SetColour(bool colour) {
  if (colour == !monochrome_) return;
  monochrome_ = !colour;
  Rebuild();
}

void TPrintPreviewDlg::ApplyZoom() {
  const QSize image = PageSize();
  const QSize client = scroll_->viewport()->size();
  switch (zoom_) {
    case Zoom::AsIs:
      factor_ = 1;
      break;
    case Zoom::PageWidth: {
      // Room for the vertical scroll bar the page will need, so that no horizontal
      // one appears.
      int width = client.width();
      const QScrollBar* bar = scroll_->verticalScrollBar();
      if (!bar->isVisible() &&
          static_cast<double>(image.height()) * width / std::max(image.width(), 1) >
              client.height())
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent);
      factor_ = static_cast<float>(width) / std::max(image.width(), 1);
      break;
    }
    case Zoom::SheetHeight:
      factor_ = static_cast<float>(client.height()) / std::max(image.height(), 1);
      break;
  }
  if (!(factor_ > 0)) factor_ = 1;
  // A widget is at most 16 777 215 pixels tall.
  factor_ = std::min(factor_, 16'000'000.0f / std::max(image.height(), 1));
  page_->resize(static_cast<int>(std::lround(image.width() * factor_)),
                static_cast<int>(std::lround(image.height() * factor_)));
  page_->update();
}

void TPrintPreviewDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ApplyZoom();
}

void TPrintPreviewDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ApplyZoom();
}

void TPrintPreviewDlg::keyPressEvent(QKeyEvent* event) {
  QScrollBar* v = scroll_->verticalScrollBar();
  QScrollBar* h = scroll_->horizontalScrollBar();
  const int page = scroll_->viewport()->height();
  switch (event->key()) {
    case Qt::Key_PageUp:
      v->setValue(v->value() - page);
      break;
    case Qt::Key_PageDown:
      v->setValue(v->value() + page);
      break;
    case Qt::Key_Home:
      v->setValue(v->minimum());
      break;
    case Qt::Key_End:
      v->setValue(v->maximum());
      break;
    case Qt::Key_Up:
      v->setValue(v->value() - v->singleStep());
      break;
    case Qt::Key_Down:
      v->setValue(v->value() + v->singleStep());
      break;
    case Qt::Key_Left:
      h->setValue(h->value() - h->singleStep());
      break;
    case Qt::Key_Right:
      h->setValue(h->value() + h->singleStep());
      break;
    default:
      QDialog::keyPressEvent(event);  // Esc closes
      return;
  }
  event->accept();
}

}  // namespace kest
