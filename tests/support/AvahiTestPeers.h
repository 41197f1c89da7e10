#pragma once

// Real Avahi peers for the Bonjour integration tests, which run beside the private daemon
// that tests/support/with-avahi.sh starts.

#include "support/ProcessRunner.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cctype>
#include <chrono>

namespace tarnik::testing {

// A service announced by avahi-publish for as long as the object lives. `established`
// tells whether the daemon took it under the given name within the time allowed.
class PublishedService {
 public:
  PublishedService(const QString &name, const QString &type, quint16 port) {
    // avahi-publish reports on its error stream; fold it into the output the runner reads.
    runner_.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec avahi-publish -s \"$@\" 2>&1"),
                   QStringLiteral("sh"), name, type, QString::number(port)});
    established_ = runner_.waitForOutput(
        [](const QByteArray &output) { return output.contains("Established under name"); },
        std::chrono::seconds(10));
  }

  bool established() const { return established_; }
  // Ends the publisher, as a device leaving the network would.
  void stop() { runner_.kill(); }

 private:
  ProcessRunner runner_;
  bool established_ = false;
};

// One resolved service as avahi-browse lists it.
struct BrowsedService {
  QString name;
  QString address;
  quint16 port = 0;
};

// avahi-browse writes a label's special bytes as "\DDD" (decimal) and "\c".
inline QString unescapedLabel(const QByteArray &label) {
  QByteArray bytes;
  for (qsizetype i = 0; i < label.size(); ++i) {
    const bool decimal =
        i + 3 < label.size() && std::isdigit(static_cast<unsigned char>(label[i + 1]));
    if (label[i] == '\\' && decimal) {
      bytes.append(char(label.mid(i + 1, 3).toInt()));
      i += 3;
    } else if (label[i] == '\\' && i + 1 < label.size()) {
      bytes.append(label[++i]);
    } else {
      bytes.append(label[i]);
    }
  }
  return QString::fromUtf8(bytes);
}

// The services of one type that avahi-browse resolves right now.
inline QList<BrowsedService> browseResolved(const QString &type) {
  const auto result = ProcessRunner::run(QStringLiteral("avahi-browse"),
                                         {QStringLiteral("-rpt"), type}, std::chrono::seconds(10));
  QList<BrowsedService> services;
  if (!result) {
    return services;
  }
  for (const QByteArray &line : result->standardOutput.split('\n')) {
    // =;interface;protocol;name;type;domain;host;address;port;txt
    const QList<QByteArray> fields = line.split(';');
    if (fields.size() >= 9 && fields[0] == "=") {
      services.append(
          {unescapedLabel(fields[3]), QString::fromLatin1(fields[7]), quint16(fields[8].toUInt())});
    }
  }
  return services;
}

}  // namespace tarnik::testing
