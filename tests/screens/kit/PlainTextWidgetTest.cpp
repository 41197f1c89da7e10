#include "screens/kit/PlainLabel.h"
#include "screens/kit/PlainMessageBox.h"
#include "screens/kit/SelectableWrappedLabel.h"
#include "screens/kit/TitledSection.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>
#include <QVBoxLayout>

#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

// A group box's title as drawn: "&&" is one "&", a lone "&" marks a shortcut and is not drawn.
QString drawnGroupBoxTitle(const QString &title) {
  QString drawn;
  for (qsizetype i = 0; i < title.size(); ++i) {
    if (title[i] == u'&' && ++i == title.size()) break;
    drawn += title[i];
  }
  return drawn;
}

// The texts a person reads in a widget: its plain-text labels as given, a title on a frame.
QStringList shownTexts(QWidget &widget) {
  QList<QLabel *> labels = widget.findChildren<QLabel *>();
  if (auto *label = qobject_cast<QLabel *>(&widget)) labels.prepend(label);
  QStringList texts;
  for (const QLabel *label : labels) {
    if (!label->text().isEmpty() && label->textFormat() == Qt::PlainText) texts << label->text();
  }
  if (auto *box = qobject_cast<QGroupBox *>(&widget); box && !box->QGroupBox::title().isEmpty())
    texts << drawnGroupBoxTitle(box->QGroupBox::title());
  return texts;
}

TEST(PlainTextWidget, ConsoleTextWithMarkupIsShownAsWritten) {
  for (const QString &text : {u"<b>x</b>"_s, u"&amp;"_s, u"Front & Back"_s}) {
    const std::unique_ptr<QLabel> label(plainLabel(text));
    const std::unique_ptr<QMessageBox> box(plainMessageBox(nullptr, {}, text, text));
    TitledSection framed(text);
    TitledSection headed(text, {}, TitledSection::Look::headed);
    EXPECT_EQ(shownTexts(*label), QStringList{text});
    EXPECT_EQ(shownTexts(*box), QStringList({text, text})) << text.toStdString();
    EXPECT_EQ(shownTexts(framed), QStringList{text});
    EXPECT_EQ(shownTexts(headed), QStringList{text});
  }
}

// The selectable label's text is QLabel's own: given through a plain QLabel pointer it is the
// label's whole text, and a later font change keeps it. A console's 64 KB text given so and
// painted before anything else reaches the label is laid out no further than it is shown.
TEST(PlainTextWidget, ASelectableLabelKeepsATextGivenThroughQLabel) {
  QWidget window;
  SelectableWrappedLabel label(u"Old error"_s, &window);
  label.resize(300, 60);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QLabel &plain = label;
  plain.setText(u"New error <b>now</b>"_s);
  QFont font = label.font();
  font.setPointSizeF(font.pointSizeF() * 1.5);
  label.setFont(font);
  EXPECT_EQ(label.text(), u"New error <b>now</b>"_s);
  EXPECT_EQ(label.fullText(), u"New error <b>now</b>"_s);
  EXPECT_EQ(label.accessibleName(), u"New error <b>now</b>"_s);
  EXPECT_EQ(shownTexts(label), QStringList{u"New error <b>now</b>"_s});

  const QString marks = u"e"_s + QString(QChar(0x0301)).repeated(65535);
  plain.setText(marks);
  window.repaint();
  EXPECT_LT(label.findChild<QTextDocument *>()->characterCount(), 100);
  EXPECT_TRUE(label.fullText() == marks);
}

// A page that draws its sections itself places them by their content alone: no room kept for
// a frame, also after the font changes, and no taller than the heading it shows.
TEST(TitledSectionWidget, HeadedLookKeepsNoRoomForAFrame) {
  TitledSection section(u"Timing"_s, {}, TitledSection::Look::headed);
  section.column()->setContentsMargins(0, 0, 0, 0);
  QFont larger = section.font();
  larger.setPointSizeF(larger.pointSizeF() * 2);
  section.setFont(larger);
  EXPECT_EQ(section.contentsMargins(), QMargins());
  EXPECT_EQ(section.minimumSizeHint().height(), section.heading()->minimumSizeHint().height());
}

}  // namespace
}  // namespace tarnik
