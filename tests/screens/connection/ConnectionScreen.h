#pragma once

// The connection screen over a model of its own: a settings file holding the saved profiles,
// networking off, a keychain that is a table in memory, and the screen shown. A test may
// change the model's arguments before it is made.

#include "app/AppViewModel.h"
#include "screens/connection/ConnectionView.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/kit/WrappedLabel.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik::testing {

// A relay browser that never finds anything.
inline BonjourBrowserFactory idleBrowserFactory() {
  return [](const QString &, BonjourBrowseHandlers) { return std::make_unique<QObject>(); };
}

// A saved TCP profile on the examples' port.
inline ConsoleConnectionProfile profile(const QString &name, const QString &host) {
  return {.id = QUuid::createUuid(), .name = name, .host = host, .destinationPort = 3037};
}

struct ConnectionScreen {
  explicit ConnectionScreen(const QList<ConsoleConnectionProfile> &profiles = {},
                            std::optional<QUuid> selected = std::nullopt,
                            BonjourBrowserFactory makeRelayBrowser = idleBrowserFactory(),
                            const std::function<void(AppViewModel::Arguments &)> &adjust = {}) {
    QJsonArray stored;
    for (const ConsoleConnectionProfile &profile : profiles) {
      stored.append(profile.toJson());
    }
    settings.setValue(QStringLiteral("connectionProfiles.v1"),
                      QString::fromUtf8(QJsonDocument(stored).toJson(QJsonDocument::Compact)));
    if (selected) {
      settings.setValue(QStringLiteral("selectedConnectionProfileID"),
                        selected->toString(QUuid::WithoutBraces).toUpper());
    }
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    arguments.startNetworkingOnInit = false;
    arguments.storeRelayKey = [keys = keychain](const QString &code, const QString &account)
        -> std::expected<void, TarnikRelaySecurity::Failure> {
      keys->insert(account, code);
      return {};
    };
    arguments.loadRelayKey = [keys = keychain](const QString &account)
        -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
      if (!keys->contains(account)) return std::nullopt;
      return keys->value(account);
    };
    if (adjust) {
      adjust(arguments);
    }
    model = std::make_unique<AppViewModel>(std::move(arguments));
    view = std::make_unique<ConnectionView>(*model, std::move(makeRelayBrowser));
    view->resize(460, 1100);
    view->show();
  }

  template <typename Widget = QLabel>
  Widget *find(const QString &objectName) const {
    auto *widget = view->findChild<Widget *>(objectName);
    EXPECT_NE(widget, nullptr) << objectName.toStdString();
    return widget;
  }
  // The whole text: an elided label shows only what fits of it, a wrapped one breaks it.
  template <typename Widget = QLabel>
  QString text(const QString &objectName) const {
    Widget *widget = find<Widget>(objectName);
    if (const auto *elided = qobject_cast<const ElidedLabel *>(widget)) return elided->fullText();
    if (const auto *wrapped = qobject_cast<const WrappedLabel *>(widget))
      return wrapped->fullText();
    return widget ? widget->text() : QStringLiteral("<none>");
  }
  bool shown(const QString &objectName) const {
    QWidget *widget = view->findChild<QWidget *>(objectName);
    return widget && widget->isVisibleTo(view.get());
  }
  // The buttons directly inside a container, top to bottom.
  QList<QPushButton *> buttonsIn(const QString &objectName) const {
    QWidget *container = find<QWidget>(objectName);
    return container ? container->findChildren<QPushButton *>(Qt::FindDirectChildrenOnly)
                     : QList<QPushButton *>{};
  }
  // The texts a row shows, in the order of its labels.
  static QStringList lines(const QPushButton &row) {
    QStringList texts;
    for (QLabel *label : row.findChildren<QLabel *>()) {
      if (label->pixmap().isNull()) {
        texts.append(label->text());
      }
    }
    return texts;
  }
  // The redraw's turn, then the layouts following it: each nested layout hands its request
  // one level up, so they are sent until the outermost has had its turn.
  void settle() const {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    for (int level = 0; level < 8; ++level) {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
  }

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  std::shared_ptr<QHash<QString, QString>> keychain = std::make_shared<QHash<QString, QString>>();
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<ConnectionView> view;
};

// Resolves no service, and never answers: it records which one was asked for, so no test
// reaches a real network through the daemon of the machine it runs on.
class RecordingResolver : public OSCServiceResolver {
 public:
  void resolve(const OSCEndpoint::Service &service, Completion) override { asked.append(service); }
  QList<OSCEndpoint::Service> asked;
};

}  // namespace tarnik::testing
