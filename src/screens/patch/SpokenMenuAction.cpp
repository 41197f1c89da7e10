#include "screens/patch/SpokenMenuAction.h"

#include "screens/kit/AccessibleInterfaceFactory.h"

#include <QMenu>
#include <QWindow>

namespace tarnik {

SpokenMenuAction::SpokenMenuAction(QObject *parent) : QAction(parent) {
  installAccessibleInterface<SpokenMenuAction, SpokenMenuActionAccessible>();
}

void SpokenMenuAction::setSpokenName(const QString &name) {
  if (name == spokenName_) return;
  spokenName_ = name;
  QAccessibleEvent changed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
}

SpokenMenuActionAccessible::SpokenMenuActionAccessible(SpokenMenuAction *action)
    : action_(action) {}

QMenu *SpokenMenuActionAccessible::menu() const {
  if (!action_) return nullptr;
  for (QObject *owner : action_->associatedObjects())
    if (auto *menu = qobject_cast<QMenu *>(owner)) return menu;
  return nullptr;
}

void *SpokenMenuActionAccessible::interface_cast(QAccessible::InterfaceType type) {
  return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                              : nullptr;
}

bool SpokenMenuActionAccessible::isValid() const { return menu() != nullptr; }

QObject *SpokenMenuActionAccessible::object() const { return action_; }

QWindow *SpokenMenuActionAccessible::window() const {
  QMenu *owner = menu();
  return owner ? owner->windowHandle() : nullptr;
}

QAccessibleInterface *SpokenMenuActionAccessible::parent() const {
  return QAccessible::queryAccessibleInterface(menu());
}

QAccessibleInterface *SpokenMenuActionAccessible::child(int) const { return nullptr; }

int SpokenMenuActionAccessible::childCount() const { return 0; }

int SpokenMenuActionAccessible::indexOfChild(const QAccessibleInterface *) const { return -1; }

QAccessibleInterface *SpokenMenuActionAccessible::childAt(int, int) const { return nullptr; }

QString SpokenMenuActionAccessible::text(QAccessible::Text kind) const {
  if (!action_ || kind != QAccessible::Name) return {};
  return action_->spokenName().isEmpty() ? action_->text() : action_->spokenName();
}

void SpokenMenuActionAccessible::setText(QAccessible::Text, const QString &) {}

QRect SpokenMenuActionAccessible::rect() const {
  QMenu *owner = menu();
  if (!owner) return {};
  const QRect local = owner->actionGeometry(action_);
  return {owner->mapToGlobal(local.topLeft()), local.size()};
}

QAccessible::Role SpokenMenuActionAccessible::role() const { return QAccessible::MenuItem; }

QAccessible::State SpokenMenuActionAccessible::state() const {
  QAccessible::State state;
  QMenu *owner = menu();
  if (!owner || !owner->isVisible() || !action_->isVisible()) state.invisible = true;
  if (!action_ || !action_->isEnabled()) state.disabled = true;
  state.focusable = !state.disabled;
  if (owner && owner->activeAction() == action_) state.focused = true;
  return state;
}

QStringList SpokenMenuActionAccessible::actionNames() const {
  if (!action_ || !action_->isEnabled()) return {};
  return {pressAction()};
}

void SpokenMenuActionAccessible::doAction(const QString &actionName) {
  if (action_ && action_->isEnabled() && actionName == pressAction()) action_->trigger();
}

QStringList SpokenMenuActionAccessible::keyBindingsForAction(const QString &) const { return {}; }

}  // namespace tarnik
