#pragma once

#include <QLineEdit>
#include <QList>
#include <QString>

class QDialog;
class QPushButton;

namespace tarnik {

// The one form both cue sheets share: the title, a section of single-line fields, a note in
// the caption style, then "Cancel" and the confirm button. Cancel and Escape only close;
// Return in a field does nothing. The sheet connects the confirm button, which this returns.
struct CueSheetForm {
  QString title;
  QString sectionTitle;
  QList<QLineEdit *> fields;
  QString note;
  QString confirmTitle;
  QString confirmName;  // objectName of the confirm button
};

QPushButton *buildCueSheet(QDialog &sheet, const CueSheetForm &form);

// A field, plain unless another kind is named, with its placeholder and objectName.
template <typename Field = QLineEdit>
Field *cueSheetField(const QString &placeholder, const QString &name) {
  auto *field = new Field;
  field->setPlaceholderText(placeholder);
  field->setObjectName(name);
  return field;
}

}  // namespace tarnik
