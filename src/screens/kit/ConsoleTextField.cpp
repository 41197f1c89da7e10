#include "screens/kit/ConsoleTextField.h"

#include "screens/kit/FitTextPainter.h"

#include <QScreen>

namespace tarnik {

namespace {

// The field scrolls sideways, so it is given the width of a few screens before a text is cut.
constexpr int screensShown = 3;

}  // namespace

ConsoleTextField::ConsoleTextField(QWidget *parent) : QLineEdit(parent) {}

void ConsoleTextField::setWholeText(const QString &text) {
  whole_ = text;
  setText(boundedText(text, screen()->availableGeometry().width(), screensShown));
  // What the field holds after its own length limit, so that only a change of it counts.
  shown_ = this->text();
}

QString ConsoleTextField::wholeText() const {
  const QString shown = text();
  return shown == shown_ ? whole_ : shown;
}

}  // namespace tarnik
