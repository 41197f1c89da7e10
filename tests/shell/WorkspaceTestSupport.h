#pragma once

#include "link/OSCEndpoint.h"
#include "link/TarnikRelayServer.h"
#include "screens/connection/ConnectionView.h"
#include "shell/MacWorkspaceView.h"
#include "support/EosConsoleDouble.h"

#include <QLabel>
#include <QListWidget>

namespace tarnik::testing {

inline QString labelText(const QWidget &window, const char *objectName) {
  const auto *label = window.findChild<QLabel *>(QString::fromLatin1(objectName));
  return label ? label->text() : QStringLiteral("<none>");
}

inline QListWidget *sidebarRows(const QWidget &window) {
  return window.findChild<QListWidget *>(QStringLiteral("workspace.pages"));
}

// The key a test phone proves; the relay gets it as its pairing code.
inline const QByteArray relayTestKey(32, 'k');

inline void startRelayTowards(TarnikRelayServer &relay, EosConsoleDouble &console) {
  relay.start(OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"),
                                    console.tcpPort(OSCTCPFraming::packetLength)),
              0, QString::fromLatin1(relayTestKey.toBase64()));
}

// The window's pages with a connection page that browses for nothing, so a test meets only
// the console and the settings it sets up itself.
inline WorkspacePageFactories connectionPageWithoutBrowsing() {
  WorkspacePageFactories pages;
  pages.connection = [](WorkspaceContext &context) -> QWidget * {
    return new ConnectionView(context.app, [](const QString &, BonjourBrowseHandlers) {
      return std::make_unique<QObject>();
    });
  };
  return pages;
}

}  // namespace tarnik::testing
