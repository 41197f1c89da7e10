#pragma once

#include <QObject>

#include <utility>

namespace tarnik {

// Base of every object that publishes state to the screens. A published value is a
// member with a change signal; assigning it always announces objectWillChange() first and
// then emits its own signal, even when the new value equals the old one, so subscribers
// see every assignment in order. A subscriber that needs the current value reads it when
// it connects.
class ObservableObject : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 signals:
  void objectWillChange();

 protected:
  template <class Field, class Value, class Object>
  void publish(Field &field, Value &&value, void (Object::*changed)()) {
    emit objectWillChange();
    field = std::forward<Value>(value);
    (static_cast<Object *>(this)->*changed)();
  }

  template <class Field, class Value, class Object, class Argument>
  void publish(Field &field, Value &&value, void (Object::*changed)(Argument)) {
    emit objectWillChange();
    field = std::forward<Value>(value);
    (static_cast<Object *>(this)->*changed)(field);
  }
};

}  // namespace tarnik
