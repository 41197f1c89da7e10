// The cue detail screen's label: a long one is shown whole, never cut.

#include "SyncedCueConsole.h"
#include "screens/live/CueDetailView.h"
#include "screens/support/Screenshots.h"
#include "screens/support/WholeText.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(CueDetailWidget, ALabelWithAWordWiderThanTheScreenWrapsInsideTheWord) {
  testing::SyncedCueConsole console;
  const QString label = u"Sunrise_over_the_harbour_with_fog_"_s.repeated(9);
  CueDetailView detail(*console.model, Cue{.number = u"5"_s, .label = label});
  detail.resize(420, 640);
  detail.show();
  testing::saveScreenshot(detail, u"cues-detail-long-label"_s);
  auto *shown = detail.findChild<QLabel *>(u"cues.detail.label"_s);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->text(), label);
  EXPECT_TRUE(testing::showsWholeText(*shown, detail.width()));
  shown->setSelection(0, static_cast<int>(label.size()));
  EXPECT_EQ(shown->selectedText(), label);
}

// A 64 KB label of characters of no width, or of one letter under as many combining marks, is
// laid out only as far as the page could show it, and its whole text stays its accessible name.
TEST(CueDetailWidget, ALabelOfCharactersOfNoWidthIsLaidOutOnlyAsFarAsItShows) {
  testing::SyncedCueConsole console;
  for (const QString &label :
       {QString(QChar(0x200B)).repeated(65536), u"e"_s + QString(QChar(0x0301)).repeated(65535),
        u"Front wash "_s + QString(QChar(0x200D)).repeated(65525)}) {
    CueDetailView detail(*console.model, Cue{.number = u"5"_s, .label = label});
    detail.resize(420, 640);
    detail.show();
    auto *shown = detail.findChild<QLabel *>(u"cues.detail.label"_s);
    ASSERT_TRUE(shown);
    EXPECT_LT(shown->text().size(), 1000);
    EXPECT_TRUE(shown->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(shown)->text(QAccessible::Name), label);
  }
}

// A 64 KB label of words, CJK or one unbroken word is laid out only as far as a screen of the
// page could show it, ending in "…"; a copy of all of it, or of a part reaching the "…",
// gives the whole text from where the selection starts, and a part before it just that part.
TEST(CueDetailWidget, ALongLabelIsLaidOutAsFarAsAScreenAndCopiedWhole) {
  testing::SyncedCueConsole console;
  QString cjk;
  for (int at = 0; at < 65536; ++at) cjk.append(QChar(char16_t(0x4E00 + at % 2000)));
  for (const QString &label : {u"Sunriseoverthefogharbour"_s.repeated(2731).left(65536), cjk,
                               u"front wash warm\n"_s.repeated(4096).chopped(1)}) {
    CueDetailView detail(*console.model, Cue{.number = u"5"_s, .label = label});
    detail.resize(420, 640);
    detail.show();
    auto *shown = detail.findChild<QLabel *>(u"cues.detail.label"_s);
    ASSERT_TRUE(shown);
    EXPECT_LT(shown->text().size(), 8000);
    EXPECT_TRUE(shown->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(shown)->text(QAccessible::Name), label);
    QClipboard *clipboard = QGuiApplication::clipboard();
    shown->setFocus();
    QTest::keySequence(shown, QKeySequence::SelectAll);
    QTest::keySequence(shown, QKeySequence::Copy);
    EXPECT_EQ(clipboard->text(), label);
    shown->setSelection(34, static_cast<int>(shown->text().size()) - 34);
    QTest::keySequence(shown, QKeySequence::Copy);
    EXPECT_EQ(clipboard->text(), label.mid(34));
    shown->setSelection(2, 5);
    QTest::keySequence(shown, QKeySequence::Copy);
    EXPECT_EQ(clipboard->text(), label.mid(2, 5));
  }
}

}  // namespace
}  // namespace tarnik
