#pragma once

#include "screens/patch/PatchEditorSections.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QTextLayout;

namespace tarnik {

// Lines with a symbol before each, as `PatchNoteLabel` draws one, and an optional closing
// line without one, all drawn by this one widget: a form may show dozens of them, and a
// label per line costs a layout pass of its own at every change. The lines are laid out
// again only when they or the width change; every text is plain text and wraps onto as many
// lines as it needs. The whole text, line by line, is its accessible name.
class PatchNoteList : public QWidget {
  Q_OBJECT

 public:
  explicit PatchNoteList(const QString &name, QWidget *parent = nullptr);
  ~PatchNoteList() override;

  // Nothing is laid out again when the lines are those already shown.
  void setNotes(const QList<PatchNote> &notes, const std::optional<QString> &closingLine);
  const QList<PatchNote> &notes() const { return notes_; }
  const std::optional<QString> &closingLine() const { return closingLine_; }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  struct Line {
    QPixmap symbol;
    QColor color;
    std::unique_ptr<QTextLayout> text;
  };
  // Makes the lines' layouts, symbols and colours; then they only wait for a width.
  void rebuildLines();
  // Breaks every line at this width (once per width) and gives the total height.
  int layOut(int width) const;
  int textWidth(int width) const;

  QList<PatchNote> notes_;
  std::optional<QString> closingLine_;
  std::vector<Line> lines_;
  mutable int laidOutWidth_ = -1;
  mutable int laidOutHeight_ = 0;
};

}  // namespace tarnik
