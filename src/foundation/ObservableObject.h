#pragma once

#include <QObject>

#include <utility>

namespace tarnik {

// Base of every object that publishes state to the screens. A published value is a
// member with a change signal; assigning it always announces objectWillChange() first and
// then emits its own signal, even when the new value equals the old one, so subscribers
// see every assignment in order. A subscriber that needs the current value reads it when
// it connects. Values that change together may share one objectWillChange(): announce()
// first, then assign() each of them.
class ObservableObject : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 signals:
  void objectWillChange();

 protected:
  template <class Field, class Value, class Signal>
  void publish(Field &field, Value &&value, Signal changed) {
    announce();
    assign(field, std::forward<Value>(value), changed);
  }

  void announce() { emit objectWillChange(); }

  template <class Field, class Value, class Object>
  void assign(Field &field, Value &&value, void (Object::*changed)()) {
    field = std::forward<Value>(value);
    (static_cast<Object *>(this)->*changed)();
  }

  template <class Field, class Value, class Object, class Argument>
  void assign(Field &field, Value &&value, void (Object::*changed)(Argument)) {
    field = std::forward<Value>(value);
    (static_cast<Object *>(this)->*changed)(field);
  }
};

}  // namespace tarnik
