#pragma once

#include <QWidget>

class QLabel;

namespace tarnik {

struct PatchNote;

// A line of the patch editor with a symbol before it: a note, an issue, a reason or the
// write's result. The text is always plain text and wraps onto as many lines as it needs.
class PatchNoteLabel : public QWidget {
  Q_OBJECT

 public:
  // The text's own label takes `textName`, so a test reads the text where a person does.
  explicit PatchNoteLabel(const QString &textName = {}, QWidget *parent = nullptr);

  void setNote(const PatchNote &note);
  // The colour of the symbol and the text, when they are not the secondary colour.
  void setNote(const QString &symbolName, const QString &text, const QColor &color);
  void setTextName(const QString &name);

 private:
  QLabel *symbol_;
  QLabel *text_;
};

}  // namespace tarnik
