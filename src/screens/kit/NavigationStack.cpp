#include "screens/kit/NavigationStack.h"

#include "screens/kit/StalePressGuard.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarnik {

namespace {

// Escape and Back reach the stack only when the focused control has no use for them.
bool isPopKey(const QKeyEvent &event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  return (event.key() == Qt::Key_Escape && modifiers == Qt::NoModifier) ||
         event.key() == Qt::Key_Back;
}

}  // namespace

NavigationStack::NavigationStack(const QString &name, QWidget *parent)
    : QWidget(parent),
      back_(new QToolButton),
      title_(new QLabel),
      toolbar_(new QWidget),
      pages_(new QStackedWidget),
      altLeft_(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this)) {
  setObjectName(name);
  back_->setObjectName(name + QStringLiteral(".back"));
  back_->setArrowType(Qt::LeftArrow);
  back_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  back_->setAutoRaise(true);
  back_->setAccessibleName(QStringLiteral("Back"));
  connect(back_, &QToolButton::clicked, this, &NavigationStack::pop);
  // Scroll areas, lists and sliders take every Left arrow, Alt or not, so Alt+Left is a
  // shortcut of the stack: it goes back from wherever the focus is inside it.
  altLeft_->setContext(Qt::WidgetWithChildrenShortcut);
  connect(altLeft_, &QShortcut::activated, this, &NavigationStack::pop);

  title_->setObjectName(name + QStringLiteral(".title"));
  title_->setTextFormat(Qt::PlainText);
  QFont titleFont = title_->font();
  titleFont.setBold(true);
  title_->setFont(titleFont);

  toolbar_->setObjectName(name + QStringLiteral(".toolbar"));
  auto *toolbarLayout = new QHBoxLayout(toolbar_);
  toolbarLayout->setContentsMargins(0, 0, 0, 0);

  pages_->setObjectName(name + QStringLiteral(".pages"));

  auto *header = new QHBoxLayout;
  header->setContentsMargins(8, 6, 8, 6);
  header->addWidget(back_);
  header->addWidget(title_, 1);
  header->addWidget(toolbar_);

  auto *rule = new QFrame;
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(header);
  layout->addWidget(rule);
  layout->addWidget(pages_, 1);
  showTop();
}

void NavigationStack::push(QWidget *page, const QString &title, QWidget *toolbar) {
  pages_->addWidget(page);
  if (toolbar) {
    toolbar_->layout()->addWidget(toolbar);
  }
  entries_.append({page, title, toolbar, focusInside()});
  showTop();
}

void NavigationStack::pop() {
  if (entries_.size() <= 1) {
    return;
  }
  const Entry top = entries_.takeLast();
  // Hiding the page would hand its focus on to the next control of the window, often outside
  // the stack; a focus already elsewhere stays where it is.
  const bool focusReturns = top.focusBefore && focusInside();
  for (QWidget *widget : {top.page.data(), top.toolbar.data()}) {
    if (!widget) {
      continue;
    }
    widget->hide();
    widget->deleteLater();
  }
  if (top.page) {
    pages_->removeWidget(top.page);
  }
  showTop();
  if (focusReturns) top.focusBefore->setFocus(Qt::OtherFocusReason);
}

QWidget *NavigationStack::focusInside() const {
  QWidget *focus = window()->focusWidget();
  return focus && isAncestorOf(focus) ? focus : nullptr;
}

QWidget *NavigationStack::currentPage() const {
  return entries_.isEmpty() ? nullptr : entries_.last().page.data();
}

void NavigationStack::keyPressEvent(QKeyEvent *event) {
  if (entries_.size() > 1 && isPopKey(*event)) {
    pop();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void NavigationStack::showTop() {
  const bool canGoBack = entries_.size() > 1;
  back_->setVisible(canGoBack);
  altLeft_->setEnabled(canGoBack);
  back_->setText(canGoBack ? entries_[entries_.size() - 2].title : QString());
  title_->setText(entries_.isEmpty() ? QString() : entries_.last().title);
  for (qsizetype index = 0; index < entries_.size(); ++index) {
    if (QWidget *toolbar = entries_[index].toolbar) {
      toolbar->setVisible(index == entries_.size() - 1);
    }
  }
  if (QWidget *page = currentPage()) {
    pages_->setCurrentWidget(page);
    // The click that pushed or popped ends on the page below it; a double-click's second
    // click must not land on what now shows under the pointer.
    guardAgainstStalePresses(*page);
  }
}

}  // namespace tarnik
