#pragma once

#include <memory>

#include "viewer/rtf_document.h"

class QTextDocument;

namespace kest {

// Builds a QTextDocument from a (filled) head-line model: fonts and sizes in points,
// bold, italic, underline, colours, alignment, indents, the default tab stop and
// tables with the \cellx widths. Lengths in twips become document units at
// `dots_per_inch`: lay the document out on a paint device of that resolution (the
// printer's, or the screen's) so that fonts in points and the lengths agree.
std::unique_ptr<QTextDocument> BuildTextDocument(const RtfDocument& model, double dots_per_inch);

}  // namespace kest
