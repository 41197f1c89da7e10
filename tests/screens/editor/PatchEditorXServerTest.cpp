// The editor under a real X server: what a person types into a number field, and what
// Return does in a field and in the replacement question.

#include "EditorTestSupport.h"
#include "screens/support/XdoTool.h"
#include "support/QtPrinting.h"

#include <QLineEdit>
#include <QMessageBox>

namespace tarnik::testing {
namespace {

using namespace std::chrono_literals;

class PatchEditorXServer : public EditorTest {
 protected:
  // No window manager runs: the window a person would be typing into is given the keyboard.
  static bool focusOn(QWidget &window) {
    return xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(window.winId())}) &&
           QTest::qWaitForWindowActive(&window);
  }
  static bool pressReturn(QWidget &window) {
    return xdotool({u"key"_s, u"--window"_s, QString::number(window.winId()), u"Return"_s});
  }
};

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

// The editor has no default button: Return in a field neither cancels nor submits.
TEST_F(PatchEditorXServer, ReturnInTheLabelKeepsTheEditorAndItsDraft) {
  ASSERT_TRUE(connectAndSync());
  for (const std::optional<Channel> &edited : {channel(5), std::optional<Channel>()}) {
    open(edited);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    auto *label = part<QLineEdit>(u"patch.label"_s);
    ASSERT_TRUE(clickCentre(*editor, *label));
    ASSERT_TRUE(waitUntil([&] { return label->hasFocus(); }));
    label->selectAll();
    ASSERT_TRUE(xdotool({u"type"_s, u"--window"_s, QString::number(editor->winId()), u"--delay"_s,
                         u"30"_s, u"Wash"_s}));
    ASSERT_TRUE(waitUntil([&] { return label->text() == u"Wash"_s; }));
    const std::string where = editor->windowTitle().toStdString();
    ASSERT_TRUE(pressReturn(*editor));
    QTest::qWait(200);
    ASSERT_TRUE(editor && editor->isVisible()) << where;
    EXPECT_EQ(label->text(), u"Wash"_s) << where;
    EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::idle()) << where;
    editor->close();
    settle();
  }
}

TEST_F(PatchEditorXServer, ReturnInTheReplacementQuestionCancels) {
  ASSERT_TRUE(connectAndSync());
  open(channel(5));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
  click(u"patch.replaceExisting"_s);
  click(u"patch.submit"_s);
  QPointer<QMessageBox> question = part<QMessageBox>(u"patch.replacementConfirmation"_s);
  ASSERT_TRUE(question);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(question));
  ASSERT_TRUE(focusOn(*question));
  ASSERT_TRUE(pressReturn(*question));
  ASSERT_TRUE(waitUntil([&] { return !question || !question->isVisible(); }));
  QTest::qWait(200);
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::idle());
  EXPECT_FALSE(shown(u"patch.section.status"_s));
  EXPECT_TRUE(editor && editor->isVisible());
}

}  // namespace
}  // namespace tarnik::testing
