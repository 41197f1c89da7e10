#pragma once

// Turns one logging category on, every level as QT_LOGGING_RULES=<category>=true would, and
// keeps that category's lines while it lives. One capture at a time: Qt has one message
// handler.

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

namespace tarnik::testing {

class LogCapture {
 public:
  explicit LogCapture(const char *category) {
    captured() = category;
    lines().clear();
    QLoggingCategory::setFilterRules(QString::fromLatin1(captured()) + QStringLiteral("=true"));
    previous_ = qInstallMessageHandler(&collect);
  }
  ~LogCapture() {
    qInstallMessageHandler(previous_);
    QLoggingCategory::setFilterRules(QString());
  }
  LogCapture(const LogCapture &) = delete;
  LogCapture &operator=(const LogCapture &) = delete;

  static QStringList &lines() {
    static QStringList collected;
    return collected;
  }

 private:
  static QByteArray &captured() {
    static QByteArray category;
    return category;
  }
  static void collect(QtMsgType, const QMessageLogContext &context, const QString &text) {
    if (captured() == context.category) lines().append(text);
  }
  QtMessageHandler previous_ = nullptr;
};

}  // namespace tarnik::testing
