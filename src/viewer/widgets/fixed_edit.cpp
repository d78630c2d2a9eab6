#include "viewer/widgets/fixed_edit.h"

#include <QKeyEvent>

#include "viewer/core/print_plan.h"

namespace kest {

TFixedEdit::TFixedEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!property("invalid").toBool()) return;
    setProperty("invalid", false);
    setStyleSheet(QString());
  });
}

bool TFixedEdit::Valid() const {
  return FixedEditValue(text().trimmed().toStdString()).has_value();
}

void TFixedEdit::Mark() {
  setProperty("invalid", true);
  setStyleSheet("background-color: #ffc8c8;");
  setFocus();
  selectAll();
}

double TFixedEdit::Value() const {
  return FixedEditValue(text().trimmed().toStdString()).value_or(0.0);
}

void TFixedEdit::SetValue(double value) {
  setText(QString::fromStdString(FormatFixed(value, DisplayFormat.toStdString())));
}

void TFixedEdit::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  const bool character = typed.size() == 1 && typed[0].isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (character) {
    // What the text becomes around the caret: a selection is replaced.
    QString rest = text();
    int caret = cursorPosition();
    if (hasSelectedText()) {
      caret = selectionStart();
      rest.remove(caret, selectedText().size());
    }
    const char key = typed[0].unicode() < 128 ? static_cast<char>(typed[0].unicode()) : '\0';
    if (key == '\0' || !FixedEditAccepts(rest.toStdString(), static_cast<size_t>(caret), key,
                                         AllowPoint, AllowMinus)) {
      event->accept();  // dropped
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace kest
