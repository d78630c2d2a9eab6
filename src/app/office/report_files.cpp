#include "app/office/report_files.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <filesystem>

namespace kest {

namespace fs = std::filesystem;

bool WriteReportFiles(const std::string& html, const std::string& base, const std::string& title) {
  auto q = [](const std::string& s) { return QString::fromStdString(s); };
  QTextDocument document;
  document.setHtml(q(html));
  auto place = [](const std::string& temp, const std::string& target) {
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) fs::remove(temp, ec);
    return !ec;
  };
  bool ok;
  {
    QTextDocumentWriter writer(q(base + ".odt.tmp"), "odf");
    ok = writer.write(&document) && place(base + ".odt.tmp", base + ".odt");
  }
  if (!ok) return false;
  {
    QPdfWriter pdf(q(base + ".pdf.tmp"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setTitle(q(title));
    document.print(&pdf);
  }
  return place(base + ".pdf.tmp", base + ".pdf");
}

}  // namespace kest
