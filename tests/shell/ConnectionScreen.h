#pragma once

#include "app/AppViewModel.h"
#include "shell/ConnectionView.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik::testing {

// A model on a settings file of its own holding the saved profiles, networking off, and its
// connection screen shown. A test may change the model's arguments before it is made.
struct ConnectionScreen {
  explicit ConnectionScreen(const QList<ConsoleConnectionProfile> &profiles = {},
                            std::optional<QUuid> selected = std::nullopt,
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
    if (adjust) {
      adjust(arguments);
    }
    model = std::make_unique<AppViewModel>(std::move(arguments));
    view = std::make_unique<ConnectionView>(
        *model, [](const QString &, BonjourBrowseHandlers) { return std::make_unique<QObject>(); });
    view->resize(460, 1100);
    view->show();
  }

  template <typename Widget = QLabel>
  Widget *find(const QString &objectName) const {
    auto *widget = view->findChild<Widget *>(objectName);
    EXPECT_NE(widget, nullptr) << objectName.toStdString();
    return widget;
  }
  template <typename Widget = QLabel>
  QString text(const QString &objectName) const {
    Widget *widget = find<Widget>(objectName);
    return widget ? widget->text() : QStringLiteral("<none>");
  }
  bool shown(const QString &objectName) const {
    QWidget *widget = view->findChild<QWidget *>(objectName);
    return widget && widget->isVisibleTo(view.get());
  }
  // The redraw's turn, then the layouts following it: each nested layout hands its request
  // one level up, so they are sent until the outermost has had its turn.
  void settle() const {
    QCoreApplication::processEvents();
    for (int level = 0; level < 8; ++level) {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
  }

  QTemporaryDir folder;
  QSettings settings{folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<ConnectionView> view;
};

}  // namespace tarnik::testing
