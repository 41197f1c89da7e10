#pragma once

#include <QAccessible>
#include <QLatin1StringView>

namespace tarnik {

// Gives every widget of class Widget the accessibility interface Interface (built from the
// widget). The factory is registered with Qt once per pair, however often this is called,
// so a widget's constructor may call it.
template <class Widget, class Interface>
void installAccessibleInterface() {
  static const bool installed = [] {
    QAccessible::installFactory(
        [](const QString &className, QObject *object) -> QAccessibleInterface * {
          if (className != QLatin1StringView(Widget::staticMetaObject.className())) return nullptr;
          return new Interface(static_cast<Widget *>(object));
        });
    return true;
  }();
  Q_UNUSED(installed);
}

}  // namespace tarnik
