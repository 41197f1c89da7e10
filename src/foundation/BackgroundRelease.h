#pragma once

#include <QThreadPool>

#include <memory>
#include <type_traits>
#include <utility>

namespace tarnik {

// Lets go of a large value on a pool thread. Replacing a whole show frees a hundred
// thousand small blocks; done on the GUI thread, that would hold up the very publication
// that replaced it. Only plain data may go this way: nothing in it may touch a QObject
// or another thread's state while it is destroyed. Shared Qt containers are fine, their
// reference counts are atomic.
template <class Value>
void releaseInBackground(Value &&value) {
  // The pool takes copyable tasks only, so a value that cannot be copied travels shared.
  auto held = std::make_shared<std::decay_t<Value>>(std::forward<Value>(value));
  QThreadPool::globalInstance()->start([held] {
    // Destroyed here, on the pool thread, not with the task wherever that happens.
    [[maybe_unused]] const auto released = std::move(*held);
  });
}

}  // namespace tarnik
