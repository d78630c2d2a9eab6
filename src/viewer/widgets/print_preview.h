#pragma once

#include <QDialog>
#include <QImage>
#include <memory>

#include "viewer/widgets/print_output.h"

class QAction;
class QScrollArea;

namespace kest {

class HeadLineBlock;
class TLogViewerCore;

// "Предварительный просмотр": the print as one continuous page (the head line, the
// header and the whole range), drawn by the print path itself at the visible rows
// only, so that a long log needs no page image in memory. Zoom as is, to the page's
// width or to the sheet's height; black-and-white or colour. The viewer stays laid
// out for the print while the window is open.
class TPrintPreviewDlg : public QDialog {
 public:
  enum class Zoom { AsIs = 0, PageWidth = 1, SheetHeight = 2 };

  TPrintPreviewDlg(TLogViewerCore& viewer, const PrintSettings& settings, bool monochrome,
                   const PrintDevice& device, const RenderWarning& warning,
                   QWidget* parent = nullptr);
  ~TPrintPreviewDlg() override;

  Zoom ZoomMode() const { return zoom_; }
  void SetZoom(Zoom zoom);
  float Factor() const { return factor_; }
  bool Colour() const { return !monochrome_; }
  void SetColour(bool colour);
  // The whole output's size in device pixels.
  QSize PageSize() const;
  QScrollArea* ScrollBox() const { return scroll_; }
  QAction* ZoomAction(Zoom zoom) const { return zoom_actions_[static_cast<int>(zoom)]; }
  QAction* ColourAction() const { return colour_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class Page;
  void Rebuild();
  void ApplyZoom();

  TLogViewerCore& viewer_;
  PrintSettings settings_;
  PrintDevice device_;
  bool monochrome_;
  QImage probe_;  // the head line's layout device (the print's resolution)
  std::unique_ptr<HeadLineBlock> head_;
  std::unique_ptr<TLogPrint> print_;
  Zoom zoom_ = Zoom::PageWidth;
  float factor_ = 1;
  QScrollArea* scroll_ = nullptr;
  Page* page_ = nullptr;
  QAction* zoom_actions_[3] = {};
  QAction* colour_ = nullptr;
};

}  // namespace kest
