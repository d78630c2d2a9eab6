#pragma once

#include <QRect>
#include <memory>
#include <string>

#include "viewer/widgets/print_output.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QTextDocument;

namespace kest {

class StringList;

// The filled head line of a print, laid out for one device. A template that cannot
// be read or filled leaves it empty and reports "Ошибка при выводе шапки." (with
// the cause) through `warning`: the print goes on without it.
class HeadLineBlock {
 public:
  HeadLineBlock(const std::string& template_path, const StringList& sheet_params,
                QPaintDevice& device, int dpi, int width, const RenderWarning& warning);
  ~HeadLineBlock();
  HeadLineBlock(const HeadLineBlock&) = delete;
  HeadLineBlock& operator=(const HeadLineBlock&) = delete;

  // Device rows it takes (0 without a head line).
  int Rows() const { return rows_; }
  // Draws the part inside `clip` (device coordinates of the page) at (left, 0).
  void Draw(QPainter& painter, int left, const QRect& clip) const;

 private:
  std::unique_ptr<QTextDocument> document_;
  int rows_ = 0;
};

// The head line of a print of `viewer` with `settings` on a device of `geometry`
// (`layout_device` lays the text out at that resolution): null when the settings
// name none or the viewer has no sheet.
std::unique_ptr<HeadLineBlock> MakeHeadLine(const TLogViewerCore& viewer,
                                            const PrintSettings& settings,
                                            const PrintDevice& geometry,
                                            QPaintDevice& layout_device,
                                            const RenderWarning& warning);

// The message shown when the head line fails.
inline constexpr const char* kHeadLineError = "Ошибка при выводе шапки.";

// Prints onto a paged device (a printer or a PDF writer) whose resolution and page
// size are already set: the head line, then the pages. Returns the page count.
int PrintOnDevice(QPagedPaintDevice& device, TLogViewerCore& viewer, const PrintSettings& settings,
                  bool monochrome, const RenderProgress& progress, const RenderWarning& warning);

}  // namespace kest
