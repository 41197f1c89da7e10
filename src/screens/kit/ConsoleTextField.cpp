#include "screens/kit/ConsoleTextField.h"

#include "screens/kit/FitTextPainter.h"

namespace tarnik {

ConsoleTextField::ConsoleTextField(QWidget *parent) : QLineEdit(parent) {}

void ConsoleTextField::setWholeText(const QString &text) {
  whole_ = text;
  setText(screenBoundedText(*this, text));
  // What the field holds after its own length limit, so that only a change of it counts.
  shown_ = this->text();
}

QString ConsoleTextField::wholeText() const {
  const QString shown = text();
  return shown == shown_ ? whole_ : shown;
}

}  // namespace tarnik
