#pragma once

#include <memory>

#include "viewer/core/rtf_document.h"

class QTextDocument;

namespace kest {

// Builds a QTextDocument from a (filled) head-line model: fonts and sizes in points,
// bold, italic, underline, colours, alignment, indents, the default tab stop and
// tables with the \cellx widths. Lengths in twips become document units at
// `dots_per_inch`. A document laid out on a paint device (setPaintDevice) takes
// 96: Qt's layout scales fixed lengths from 96 dpi to the device itself; without a
// device, pass the resolution the document is drawn at.
std::unique_ptr<QTextDocument> BuildTextDocument(const RtfDocument& model, double dots_per_inch);

}  // namespace kest
