#pragma once

#include <QPixmap>
#include <string>

namespace kest {

// The toolbar picture of a column kind by its glyph name (18 x 18), drawn here.
QPixmap ColumnGlyph(const std::string& glyph_name);

}  // namespace kest
