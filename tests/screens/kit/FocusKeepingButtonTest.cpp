#include "screens/kit/FocusKeepingButton.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

// Switched off with the focus, the button lets it go nowhere; switched on again it takes it
// back once shown, the work having hidden its card meanwhile, unless the person put the focus
// elsewhere in the meantime.
TEST(FocusKeepingButtonWidget, TakesTheFocusBackOnceShownUnlessThePersonMovedIt) {
  const struct {
    const char *name;
    bool personMovesFocus;
  } cases[] = {
      {"the card shown again", false},
      {"the person moved the focus", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    QWidget window;
    auto *card = new QWidget(&window);
    auto *button = new FocusKeepingButton(u"Retry"_s, card);
    (new QVBoxLayout(card))->addWidget(button);
    auto *field = new QLineEdit(&window);
    auto *column = new QVBoxLayout(&window);
    column->addWidget(card);
    column->addWidget(field);
    window.show();
    button->setFocus();
    ASSERT_EQ(window.focusWidget(), button);

    button->setEnabled(false);
    ASSERT_EQ(window.focusWidget(), nullptr);
    card->hide();
    if (c.personMovesFocus) field->setFocus();
    button->setEnabled(true);
    card->show();
    EXPECT_EQ(window.focusWidget(), c.personMovesFocus ? static_cast<QWidget *>(field) : button);
  }
}

}  // namespace
}  // namespace tarnik
