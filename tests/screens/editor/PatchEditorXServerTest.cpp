// The editor under a real X server: what a person types into a number field.

#include "EditorTestSupport.h"
#include "screens/support/XdoTool.h"
#include "support/QtPrinting.h"

#include <QLineEdit>

namespace tarnik::testing {
namespace {

using namespace std::chrono_literals;

using PatchEditorXServer = EditorTest;

TEST_F(PatchEditorXServer, TypingOneAToTwoLeavesTwelveWithTheCursorAtTheEnd) {
  open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
  auto *start = part<QLineEdit>(u"patch.channelStart"_s);
  ASSERT_TRUE(clickCentre(*editor, *start));
  const QString window = QString::number(editor->winId());
  ASSERT_TRUE(waitUntil([&] { return start->hasFocus(); }));
  ASSERT_TRUE(xdotool({u"type"_s, u"--window"_s, window, u"--delay"_s, u"30"_s, u"1a2"_s}));
  EXPECT_TRUE(waitUntil([&] { return start->text() == u"12"_s; })) << start->text().toStdString();
  EXPECT_EQ(start->cursorPosition(), 2);
  // A letter typed in the middle is dropped and the cursor stays there: the next digit
  // lands where the person is typing, not at the end.
  ASSERT_TRUE(xdotool({u"key"_s, u"--window"_s, window, u"Left"_s}));
  ASSERT_TRUE(xdotool({u"type"_s, u"--window"_s, window, u"--delay"_s, u"30"_s, u"x5"_s}));
  EXPECT_TRUE(waitUntil([&] { return start->text() == u"152"_s; })) << start->text().toStdString();
  EXPECT_EQ(start->cursorPosition(), 2);
}

}  // namespace
}  // namespace tarnik::testing
