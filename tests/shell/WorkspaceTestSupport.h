#pragma once

#include "shell/MacWorkspaceView.h"

#include <QLabel>
#include <QListWidget>

namespace tarnik::testing {

inline QString labelText(const QWidget &window, const char *objectName) {
  const auto *label = window.findChild<QLabel *>(QString::fromLatin1(objectName));
  return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(objectName));
}

inline QListWidget *sidebarRows(const QWidget &window) {
  return window.findChild<QListWidget *>(QStringLiteral("workspace.pages"));
}

// The relay's pairing code for tests, and the key a phone proves it with.
inline QByteArray relayTestKey() {
  QByteArray key(32, '\0');
  for (int i = 0; i < key.size(); ++i) key[i] = static_cast<char>(3 + i * 7);
  return key;
}
inline QString relayTestPairingCode() { return QString::fromLatin1(relayTestKey().toBase64()); }

}  // namespace tarnik::testing
