#pragma once

#include <QAccessibleInterface>
#include <QAction>
#include <QPointer>

class QMenu;

namespace tarnik {

// A menu item that assistive technology reads by a name of its own rather than by the text
// shown: a status line that needs its subject said first, or an item whose title is not
// how it should be spoken. It looks and acts as every other item of its menu.
class SpokenMenuAction : public QAction {
  Q_OBJECT

 public:
  explicit SpokenMenuAction(QObject *parent = nullptr);

  const QString &spokenName() const { return spokenName_; }
  void setSpokenName(const QString &name);

 private:
  QString spokenName_;
};

// What assistive technology sees of a SpokenMenuAction: a menu item of its menu, named by
// the spoken name, pressed as the item is triggered.
class SpokenMenuActionAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  explicit SpokenMenuActionAccessible(SpokenMenuAction *action);

  void *interface_cast(QAccessible::InterfaceType type) override;
  bool isValid() const override;
  QObject *object() const override;
  QWindow *window() const override;
  QAccessibleInterface *parent() const override;
  QAccessibleInterface *child(int index) const override;
  int childCount() const override;
  int indexOfChild(const QAccessibleInterface *child) const override;
  QAccessibleInterface *childAt(int x, int y) const override;
  QString text(QAccessible::Text kind) const override;
  void setText(QAccessible::Text kind, const QString &text) override;
  QRect rect() const override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;

  QStringList actionNames() const override;
  void doAction(const QString &actionName) override;
  QStringList keyBindingsForAction(const QString &actionName) const override;

 private:
  QMenu *menu() const;

  QPointer<SpokenMenuAction> action_;
};

}  // namespace tarnik
