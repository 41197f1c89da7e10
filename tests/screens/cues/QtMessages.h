#pragma once

#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace tarnik::testing {

// Everything Qt prints while the block runs.
inline QStringList qtMessagesDuring(const std::function<void()> &block) {
  static QStringList *messages = nullptr;
  QStringList caught;
  messages = &caught;
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext &, const QString &text) { messages->append(text); });
  block();
  qInstallMessageHandler(previous);
  messages = nullptr;
  return caught;
}

}  // namespace tarnik::testing
