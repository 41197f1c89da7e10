#pragma once

#include <QList>
#include <QString>

class QDialog;
class QLineEdit;
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

// A plain field with its placeholder and objectName.
QLineEdit *cueSheetField(const QString &placeholder, const QString &name);

}  // namespace tarnik
