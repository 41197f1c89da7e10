#include "screens/kit/WrapAnywhere.h"
#include "screens/kit/WrappedLabel.h"
#include "support/QtPrinting.h"

#include <QFontMetricsF>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;

QString withoutBlanks(QString text) {
  text.remove(QRegularExpression(u"\\s"_s));
  return text;
}

// Words that fit stay whole, a word wider than the row is cut wherever it must be, and no
// character but the blanks at a break goes missing.
TEST(WrapAnywhere, NoLineIsWiderThanTheRowAndOnlyTooWideWordsAreCut) {
  const QFont font;
  const QFontMetricsF metrics(font);
  const QString host = u"front-of-house-main-console-upper-balcony.theatre.example.org"_s;
  const struct {
    QString text;
    double width;
    bool cutsAWord;
  } cases[] = {
      {u"OSC connection to 10.0.0.7:3037 did not become socket-ready within 8 seconds."_s,
       metrics.horizontalAdvance(u"socket-ready within"_s), false},
      {u"OSC connection to "_s + host + u":3037 timed out"_s,
       metrics.horizontalAdvance(u"front-of-house"_s), true},
      {u"  Refused\nby the console"_s, metrics.horizontalAdvance(u"by the console"_s) + 1, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    const QStringList lines = wrapAnywhere(c.text, font, c.width);
    ASSERT_GT(lines.size(), 1);
    QStringList words;
    for (const QString &line : lines) {
      EXPECT_LE(metrics.horizontalAdvance(line), c.width) << line.toStdString();
      words.append(line.split(u' ', Qt::SkipEmptyParts));
    }
    EXPECT_EQ(withoutBlanks(lines.join(QString())), withoutBlanks(c.text));
    const QStringList whole = QString(c.text).replace(u'\n', u' ').split(u' ', Qt::SkipEmptyParts);
    EXPECT_EQ(words != whole, c.cutsAWord) << lines.join(u'|').toStdString();
  }
  EXPECT_EQ(wrapAnywhere(u"  Refused"_s, font, 1000), QStringList{u"  Refused"_s});
  EXPECT_EQ(wrapAnywhere({}, font, 1000), QStringList{});
}

// The whole text at any width, as tall as its lines, never asking for width; a reserved
// length keeps a short text's label as tall as that long a text would make it.
TEST(WrappedLabelWidget, GrowsDownwardToShowEverythingAndKeepsItsReservedRoom) {
  const QString text = u"OSC connection to 10.0.0.7:3037 did not become socket-ready."_s;
  WrappedLabel label(text);
  label.show();
  EXPECT_EQ(label.minimumSizeHint().width(), 0);
  const int oneLine = label.heightForWidth(10'000);
  const int wrappedHeight = label.heightForWidth(120);
  EXPECT_GE(wrappedHeight, 3 * oneLine);
  label.resize(120, wrappedHeight);
  EXPECT_EQ(withoutBlanks(label.text()), withoutBlanks(text));
  EXPECT_EQ(label.accessibleName(), text);

  label.setFullText(u"Not tested"_s);
  EXPECT_EQ(label.heightForWidth(120), oneLine);
  label.setReservedLength(static_cast<int>(text.size()));
  EXPECT_GE(label.heightForWidth(120), wrappedHeight);
}

}  // namespace
}  // namespace tarnik
