#include "screens/kit/ElidedLabel.h"
#include "screens/kit/PlainToolTip.h"
#include "support/QtPrinting.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <functional>
#include <gtest/gtest.h>
#include <utility>

namespace tarnik {
namespace {

TEST(ElidedLabelWidget, ATextTooWideEndsInAnEllipsisAndKeepsTheWholeTextForTipAndReader) {
  const QString name = QStringLiteral("Front of house console with a very long name:3037");
  ElidedLabel label(name);
  label.show();
  EXPECT_EQ(label.minimumSizeHint().width(), 0);
  label.resize(label.sizeHint());
  EXPECT_EQ(label.text(), name);

  label.resize(label.sizeHint().width() / 2, label.sizeHint().height());
  EXPECT_TRUE(label.text().endsWith(QChar(0x2026))) << label.text().toStdString();
  EXPECT_LT(label.fontMetrics().horizontalAdvance(label.text()), label.width() + 1);
  EXPECT_EQ(label.toolTip(), name);
  EXPECT_EQ(label.accessibleName(), name);
  EXPECT_EQ(label.fullText(), name);

  // A new text is measured afresh, and rich text stays characters.
  label.setFullText(QStringLiteral("<b>A</b>"));
  label.resize(label.sizeHint());
  EXPECT_EQ(label.text(), QStringLiteral("<b>A</b>"));
  EXPECT_EQ(label.textFormat(), Qt::PlainText);

  // A console's 64 KB text asks for no more than the screen is wide.
  label.setFullText(QStringLiteral("Wash ").repeated(13108));
  EXPECT_LE(label.sizeHint().width(), label.screen()->availableGeometry().width());
}

// The tooltip shows the text as written, markup too, and a console's 64 KB text (words, one
// word, a letter under combining marks) on a few lines within the screen, ending in "…".
// An elided label's own tooltip, and one a page gives another control for a console's or a
// network's text.
TEST(ElidedLabelWidget, TheTooltipShowsTheTextAsWrittenOnAFewLinesOfTheScreen) {
  ElidedLabel label;
  QPushButton button;
  const std::pair<QWidget *, std::function<void(const QString &)>> widgets[] = {
      {&label, [&](const QString &text) { label.setFullText(text); }},
      {&button, [&](const QString &text) { button.setToolTip(plainToolTip(button, text)); }},
  };
  for (const auto &[widget, setText] : widgets) {
    SCOPED_TRACE(widget->metaObject()->className());
    widget->resize(80, label.sizeHint().height());
    widget->show();
    const int screenWidth = widget->screen()->availableGeometry().width();
    for (const QString &text :
         {QStringLiteral("<b>Gala</b> & <i>matinee</i>"), QStringLiteral("Wash ").repeated(13108),
          QStringLiteral("Harbour").repeated(9363), QStringLiteral("<b>Wash</b> & ").repeated(4681),
          QStringLiteral("e") + QString(QChar(0x0301)).repeated(65535)}) {
      setText(text);
      QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
      QApplication::sendEvent(widget, &help);
      QWidget *tip = nullptr;
      for (QWidget *shown : QApplication::topLevelWidgets()) {
        if (shown->inherits("QTipLabel") && shown->isVisible()) tip = shown;
      }
      ASSERT_TRUE(tip);
      EXPECT_LE(tip->width(), screenWidth);
      EXPECT_LE(tip->height(), 8 * tip->fontMetrics().lineSpacing());
      // Where the tooltip is laid out as markup, its lines break at blanks, never in a word.
      if (const auto *laidOut = tip->findChild<QTextDocument *>()) {
        for (QTextBlock block = laidOut->begin(); block.isValid(); block = block.next()) {
          for (int line = 1; line < block.layout()->lineCount(); ++line) {
            const int start = block.layout()->lineAt(line).textStart();
            EXPECT_TRUE(block.text().at(start - 1).isSpace())
                << block.text().mid(start - 8, 16).toStdString();
          }
        }
      }
      // What the tooltip draws: its text as markup where it looks like markup.
      QTextDocument drawn;
      if (Qt::mightBeRichText(widget->toolTip())) {
        drawn.setHtml(widget->toolTip());
      } else {
        drawn.setPlainText(widget->toolTip());
      }
      const QString shown = drawn.toPlainText();
      if (text.size() < 100) {
        EXPECT_EQ(shown, text);
      } else {
        EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
      }
    }
    widget->hide();
  }
  EXPECT_EQ(label.accessibleName(), QStringLiteral("e") + QString(QChar(0x0301)).repeated(65535));
}

// Two lines kept, empty, short or long: the height never follows the text.
TEST(ElidedLabelWidget, KeepsItsLinesWhateverTheTextAndCutsOnlyTheLastOne) {
  ElidedLabel label;
  label.setLineCount(2);
  label.show();
  const int height = label.minimumSizeHint().height();
  EXPECT_GE(height, 2 * label.fontMetrics().height());
  label.resize(160, height);
  const QString words = QStringLiteral(
      "No verified Eos handshake within 10 seconds at TCP "
      "127.0.0.1:3037. Connection refused.");
  struct Case {
    QString text;
    QStringList shown;  // "…" marks a line that is cut
  } cases[] = {
      {{}, {}},
      {QStringLiteral("Not tested"), {QStringLiteral("Not tested")}},
      {words, {QStringLiteral("No verified"), QStringLiteral("…")}},
  };
  for (const Case &c : cases) {
    label.setFullText(c.text);
    const QStringList shown = label.text().isEmpty() ? QStringList{} : label.text().split(u'\n');
    ASSERT_EQ(shown.size(), c.shown.size()) << label.text().toStdString();
    for (qsizetype line = 0; line < shown.size(); ++line) {
      if (c.shown[line] == QStringLiteral("…")) {
        EXPECT_TRUE(shown[line].endsWith(QChar(0x2026))) << shown[line].toStdString();
      } else {
        EXPECT_TRUE(shown[line].startsWith(c.shown[line])) << shown[line].toStdString();
      }
      EXPECT_LE(label.fontMetrics().horizontalAdvance(shown[line]), label.width());
    }
    EXPECT_EQ(label.minimumSizeHint().height(), height);
    EXPECT_EQ(label.sizeHint().height(), height);
    EXPECT_EQ(label.toolTip(), c.text);
  }
}

}  // namespace
}  // namespace tarnik
