#include "screens/kit/NavigationStack.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

// Deferred deletions run when control is back in the event loop.
void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct Stack {
  NavigationStack stack{QStringLiteral("live.navigation")};

  Stack() { stack.push(new QLabel(QStringLiteral("Cue list")), QStringLiteral("Cues")); }

  template <class T = QWidget>
  T *part(const char *name) const {
    return stack.findChild<T *>(QStringLiteral("live.navigation.") + QLatin1StringView(name));
  }
  QString title() const { return part<QLabel>("title")->text(); }
  bool backShown() const { return !part<QToolButton>("back")->isHidden(); }
};

TEST(NavigationStackWidget, APushShowsThePageAndAPopDeletesIt) {
  Stack s;
  EXPECT_EQ(s.title(), QStringLiteral("Cues"));
  EXPECT_FALSE(s.backShown());

  QPointer<QWidget> detail = new QLineEdit;
  QPointer<QWidget> tools = new QPushButton(QStringLiteral("Edit"));
  s.stack.push(detail, QStringLiteral("Cue 1"), tools);
  EXPECT_EQ(s.stack.depth(), 2);
  EXPECT_EQ(s.part<QStackedWidget>("pages")->currentWidget(), detail);
  EXPECT_EQ(s.title(), QStringLiteral("Cue 1"));
  EXPECT_TRUE(s.backShown());
  EXPECT_EQ(s.part<QToolButton>("back")->text(), QStringLiteral("Cues"));
  EXPECT_EQ(tools->parentWidget(), s.part("toolbar"));

  QTest::mouseClick(s.part<QToolButton>("back"), Qt::LeftButton);
  EXPECT_EQ(s.stack.depth(), 1);
  EXPECT_EQ(s.title(), QStringLiteral("Cues"));
  EXPECT_FALSE(s.backShown());
  runDeferredDeletes();
  EXPECT_TRUE(detail.isNull());
  EXPECT_TRUE(tools.isNull());
}

TEST(NavigationStackWidget, EscapeAndAltLeftPopFromInsideThePageAndDoNothingOnTheRoot) {
  Stack s;
  s.stack.show();
  QApplication::setActiveWindow(&s.stack);
  // A slider, like a scroll area, takes every Left arrow that reaches it, Alt or not.
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::function<QWidget *()> makeControl;
  } popKeys[] = {{Qt::Key_Escape, Qt::NoModifier, [] { return new QLineEdit; }},
                 {Qt::Key_Left, Qt::AltModifier, [] { return new QLineEdit; }},
                 {Qt::Key_Left, Qt::AltModifier, [] { return new QSlider(Qt::Horizontal); }}};
  for (const auto &press : popKeys) {
    QWidget *control = press.makeControl();
    QPointer<QWidget> page = control;
    s.stack.push(page, QStringLiteral("Cue 1"));
    // The key comes from a control on the page that has the focus.
    control->setFocus();
    QTest::keyClick(control, press.key, press.modifiers);
    EXPECT_EQ(s.stack.depth(), 1) << control->metaObject()->className();
    runDeferredDeletes();
    EXPECT_TRUE(page.isNull()) << press.key;
  }

  // Plain Left stays with the text field.
  auto *field = new QLineEdit(QStringLiteral("12"));
  s.stack.push(field, QStringLiteral("Cue 1"));
  QTest::keyClick(field, Qt::Key_Left);
  EXPECT_EQ(s.stack.depth(), 2);

  s.stack.pop();
  s.stack.pop();
  QTest::keyClick(&s.stack, Qt::Key_Escape);
  EXPECT_EQ(s.stack.depth(), 1);
  EXPECT_EQ(s.title(), QStringLiteral("Cues"));
  EXPECT_NE(s.stack.currentPage(), nullptr);
}

TEST(NavigationStackWidget, APageThatPopsItselfFromItsOwnButtonIsDeletedSafely) {
  Stack s;
  QPointer<QWidget> page = new QWidget;
  auto *done = new QPushButton(QStringLiteral("Done"), page);
  QObject::connect(done, &QPushButton::clicked, &s.stack, &NavigationStack::pop);
  s.stack.push(page, QStringLiteral("Cue 1"));
  // The button is still inside its clicked() when the pop comes.
  QTest::mouseClick(done, Qt::LeftButton);
  EXPECT_EQ(s.stack.depth(), 1);
  runDeferredDeletes();
  EXPECT_TRUE(page.isNull());
}

TEST(NavigationStackWidget, Screenshots) {
  Stack s;
  s.stack.resize(420, 260);
  EXPECT_FALSE(testing::saveScreenshot(s.stack, QStringLiteral("kit-navigation-root")).isEmpty());
  s.stack.push(new QLabel(QStringLiteral("Cue 1 detail")), QStringLiteral("Cue 1"),
               new QPushButton(QStringLiteral("Edit")));
  EXPECT_FALSE(testing::saveScreenshot(s.stack, QStringLiteral("kit-navigation-pushed")).isEmpty());
}

}  // namespace
}  // namespace tarnik
