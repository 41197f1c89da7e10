#include "screens/patch/PatchIntegerField.h"

#include "screens/patch/PatchIntegerText.h"

namespace tarnik {

PatchIntegerField::PatchIntegerField(const QString &title,
                                     std::function<void(std::optional<qint64>)> edited,
                                     QWidget *parent)
    : QLineEdit(parent), edited_(std::move(edited)) {
  setTitle(title);
  // textEdited comes from the user only; setText never raises it.
  connect(this, &QLineEdit::textEdited, this, &PatchIntegerField::readEdit);
}

void PatchIntegerField::setTitle(const QString &title) {
  setPlaceholderText(title);
  setAccessibleName(title);
}

void PatchIntegerField::showValue(const std::optional<qint64> &value) {
  const QString shown = integerFieldText(value);
  if (text() != shown) setText(shown);
}

void PatchIntegerField::readEdit(const QString &typed) {
  const std::optional<qint64> value = integerFromTypedText(typed);
  const QString shown = integerFieldText(value);
  const int cursor = integerFieldCursor(typed, cursorPosition(), shown);
  setText(shown);
  setCursorPosition(cursor);
  edited_(value);
}

}  // namespace tarnik
