#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QShortcut;
class QStackedWidget;
class QToolButton;

namespace tarnik {

// A page area that drills down: a header bar (back button, title, the top page's own
// toolbar) over the pages pushed on it, the first of them the root. Popping deletes the
// popped page, so a page pushed again starts from a fresh state, never from what the user
// left behind. Back, Escape and Alt+Left pop; on the root they do nothing, and the key goes
// on to whatever holds the stack. A pop gives the keyboard focus back to the control of the
// page below that had it when the popped page was pushed, unless the focus has since gone
// out of the stack.
//
// Parts are named under the stack's own objectName: "<name>.back", "<name>.title",
// "<name>.toolbar", "<name>.pages".
class NavigationStack : public QWidget {
  Q_OBJECT

 public:
  explicit NavigationStack(const QString &name, QWidget *parent = nullptr);

  // Shows the page on top under its title. The stack takes the page and its toolbar
  // controls (which may be null), and shows the controls only while the page is on top.
  void push(QWidget *page, const QString &title, QWidget *toolbar = nullptr);
  // Removes the top page, unless it is the root, and deletes it once control is back in
  // the event loop: a page may pop itself from one of its own buttons.
  void pop();

  int depth() const { return static_cast<int>(entries_.size()); }
  QWidget *currentPage() const;

 protected:
  void keyPressEvent(QKeyEvent *event) override;

 private:
  struct Entry {
    QPointer<QWidget> page;
    QString title;
    QPointer<QWidget> toolbar;
    QPointer<QWidget> focusBefore;  // inside the stack when the page was pushed, else none
  };

  // The window's focus widget when it is inside this stack, else none.
  QWidget *focusInside() const;

  void showTop();

  QToolButton *back_;
  QLabel *title_;
  QWidget *toolbar_;
  QStackedWidget *pages_;
  QShortcut *altLeft_;
  QList<Entry> entries_;
};

}  // namespace tarnik
