#include <unistd.h>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "log/log_sheet.h"
#include "support/atomic_file.h"
#include "support/diagnostic_log.h"
#include "support/string_list.h"
#include "viewer/core/headline.h"
#include "viewer/core/log_viewer_core.h"
#include "viewer/core/png_writer.h"
#include "viewer/widgets/print_device.h"
#include "viewer/widgets/qt_canvas.h"
#include "viewer/widgets/rtf_text_document.h"

namespace kest {

namespace {

// A Qt device over one of our streams: the PDF writer writes into the temporary
// file of an AtomicFile.
class StreamDevice : public QIODevice {
 public:
  explicit StreamDevice(Stream& stream) : stream_(stream) {}
  bool isSequential() const override { return true; }
  const std::string& Failure() const { return failure_; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    try {
      stream_.Write(data, static_cast<size_t>(size));
      return size;
    } catch (const std::exception& e) {
      if (failure_.empty()) failure_ = e.what();
      return -1;
    }
  }

 private:
  Stream& stream_;
  std::string failure_;
};

int64_t Dpm(int dpi) { return std::llround(dpi / 0.0254); }

}  // namespace

std::optional<PaperSize> ParsePaperSize(std::string_view text) {
  std::string t(text);
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (t == "a4") return PaperSize{210, 297};
  if (t == "a3") return PaperSize{297, 420};
  if (t.size() > 2 && t.ends_with("mm")) t.resize(t.size() - 2);
  const size_t x = t.find('x');
  if (x == std::string::npos) return std::nullopt;
  double w = 0;
  double h = 0;
  const char* end = t.data() + t.size();
  auto a = std::from_chars(t.data(), t.data() + x, w);
  auto b = std::from_chars(t.data() + x + 1, end, h);
  if (a.ec != std::errc{} || a.ptr != t.data() + x || b.ec != std::errc{} || b.ptr != end)
    return std::nullopt;
  if (!(w >= 20 && w <= 5000 && h >= 20 && h <= 5000)) return std::nullopt;
  return PaperSize{w, h};
}

HeadLineBlock::HeadLineBlock(const std::string& template_path, const StringList& sheet_params,
                             QPaintDevice& device, int /*dpi*/, int width,
                             const RenderWarning& warning) {
  try {
    const RtfDocument model = LoadHeadLine(template_path, sheet_params);
    // Lengths go in at 96 dpi: the layout scales them to the device itself.
    document_ = BuildTextDocument(model, 96.0);
    document_->documentLayout()->setPaintDevice(&device);
    document_->setTextWidth(width);
    // The height the text really takes at this resolution: the sheet starts below it.
    rows_ = static_cast<int>(std::ceil(document_->size().height()));
  } catch (const std::exception& e) {
    document_.reset();
    rows_ = 0;
    Diag().Error(std::string("Head line \"") + template_path + "\": " + e.what());
    if (warning) warning(kHeadLineError, e.what());
  }
}

HeadLineBlock::~HeadLineBlock() = default;

void HeadLineBlock::Draw(QPainter& painter, int left, const QRect& clip) const {
  if (!document_) return;
  painter.save();
  painter.translate(left, 0);
  document_->drawContents(&painter, QRectF(clip.translated(-left, 0)));
  painter.restore();
}

std::unique_ptr<HeadLineBlock> MakeHeadLine(const TLogViewerCore& viewer,
                                            const PrintSettings& settings,
                                            const PrintDevice& geometry,
                                            QPaintDevice& layout_device,
                                            const RenderWarning& warning) {
  if (settings.HeadLine.empty() || !viewer.Sheet()) return nullptr;
  return std::make_unique<HeadLineBlock>(settings.HeadLine, viewer.Sheet()->Params(), layout_device,
                                         geometry.Dpi, ContentFor(settings, geometry).Width,
                                         warning);
}

int PrintOnDevice(QPagedPaintDevice& device, TLogViewerCore& viewer, const PrintSettings& settings,
                  bool monochrome, const RenderProgress& progress, const RenderWarning& warning) {
  const PrintDevice geometry{device.logicalDpiX(), device.width(), device.height()};
  const auto head = MakeHeadLine(viewer, settings, geometry, device, warning);
  TLogPrint print(viewer, settings, monochrome, geometry, head ? head->Rows() : 0);
  QPainter painter;
  if (!painter.begin(&device))
    throw EKestError("Печать невозможна: устройство вывода не открылось.");
  for (int page = 0; page < print.Pages(); ++page) {
    if (page > 0 && !device.newPage()) {
      painter.end();
      throw EKestError("Печать прервана: страница " + std::to_string(page + 1) + " не начата.");
    }
    if (page == 0 && head)
      head->Draw(painter, print.LeftMargin(), QRect(0, 0, geometry.PageWidth, head->Rows()));
    TQtCanvas canvas(painter);
    print.DrawPage(canvas, page, 0, geometry.PageHeight);
    if (progress && !progress(page + 1, print.Pages())) {
      painter.end();
      throw ERenderCancelled("Печать прервана.");
    }
  }
  if (!painter.end())
    throw EKestError("Печать не завершена: устройство вывода сообщило об ошибке.");
  return print.Pages();
}

int RenderPdf(TLogViewerCore& viewer, const RenderOptions& options, const std::string& path,
              const RenderProgress& progress, const RenderWarning& warning) {
  AtomicFile file(path);
  StreamDevice io(file);
  io.open(QIODevice::WriteOnly);
  int pages = 0;
  {
    QPdfWriter writer(&io);
    writer.setResolution(options.Dpi);
    writer.setPageSize(QPageSize(QSizeF(options.Paper.WidthMm, options.Paper.HeightMm),
                                 QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle("KEST sheet");
    writer.setCreator("KEST");
    pages = PrintOnDevice(writer, viewer, options.Settings, options.Monochrome, progress, warning);
  }
  io.close();
  if (!io.Failure().empty()) throw EKestError(io.Failure());
  file.Commit();
  return pages;
}

int RenderPng(TLogViewerCore& viewer, const RenderOptions& options, const std::string& path,
              const RenderProgress& progress, const RenderWarning& warning) {
  const int dpi = options.Dpi;
  const int width = static_cast<int>(std::lround(options.Paper.WidthMm * dpi / 25.4));
  const PrintDevice geometry{dpi, width, 0};
  // The head line is laid out for an image of the output's resolution.
  QImage probe(1, 1, QImage::Format_RGB32);
  probe.setDotsPerMeterX(static_cast<int>(Dpm(dpi)));
  probe.setDotsPerMeterY(static_cast<int>(Dpm(dpi)));
  const auto head = MakeHeadLine(viewer, options.Settings, geometry, probe, warning);
  TLogPrint print(viewer, options.Settings, options.Monochrome, geometry, head ? head->Rows() : 0);
  const int64_t total = print.UsedRows();
  if (total > 0x7FFFFFFF)
    throw EKestError("Изображение слишком высокое: уменьшите масштаб или диапазон.");

  AtomicFile file(path);
  const bool gray = options.Monochrome;
  PngWriter png(file, static_cast<uint32_t>(width), static_cast<uint32_t>(total),
                gray ? PngWriter::Color::Gray : PngWriter::Color::Rgb);
  // Bands of about 16 MB: the image never exists whole.
  const int band = std::max(16, 4'000'000 / std::max(width, 1));
  QImage image(width, band, QImage::Format_RGB32);
  image.setDotsPerMeterX(static_cast<int>(Dpm(dpi)));
  image.setDotsPerMeterY(static_cast<int>(Dpm(dpi)));
  std::vector<uint8_t> row(static_cast<size_t>(width) * (gray ? 1 : 3));
  for (int64_t top = 0; top < total; top += band) {
    const int rows = static_cast<int>(std::min<int64_t>(band, total - top));
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.translate(0, static_cast<qreal>(-top));
      const QRect clip(0, static_cast<int>(top), width, rows);
      if (head && top < head->Rows()) head->Draw(painter, print.LeftMargin(), clip);
      TQtCanvas canvas(painter);
      print.DrawPage(canvas, 0, top, rows);
    }
    for (int y = 0; y < rows; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      uint8_t* out = row.data();
      for (int x = 0; x < width; ++x) {
        const QRgb p = line[x];
        if (gray) {
          *out++ = static_cast<uint8_t>(qGray(p));
        } else {
          *out++ = static_cast<uint8_t>(qRed(p));
          *out++ = static_cast<uint8_t>(qGreen(p));
          *out++ = static_cast<uint8_t>(qBlue(p));
        }
      }
      png.WriteRow(row.data());
    }
    if (progress && !progress(top + rows, total)) throw ERenderCancelled("Печать прервана.");
  }
  png.Finish();
  file.Commit();
  return 1;
}

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // The folder Qt would fall back to, made private as it expects (no warning).
    const QString dir = QDir::tempPath() + "/runtime-" + QString::number(getuid());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
  }
  static int argc = 1;
  static char name[] = "kest";
  static char* argv[] = {name, nullptr};
  // Lives to the end of the process: fonts and painting need it until then.
  new QGuiApplication(argc, argv);
}

}  // namespace kest
