#pragma once

// A real application model connected over TCP to the console double and synced with a
// small patch, the fixture store's time-outs on virtual time: channel 5 is an "Acme" "Spot 300" at
// 1/1–1/16 with its intensity at 1/3, channel 6 a dimmer at 1/101. Cards are framed for their
// pictures by a plain titled box.

#include "app/AppViewModel.h"
#include "screens/kit/Style.h"
#include "screens/patch/FixtureModuleCard.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtTestApplication.h"

#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik::testing {

inline EosConsoleDouble::FixtureChannel spotFixture() {
  EosConsoleDouble::FixtureChannel spot;
  spot.manufacturer = QStringLiteral("Acme");
  spot.model = QStringLiteral("Spot 300");
  spot.parameters = {{QStringLiteral("Intens"), 50, 0, 100},
                     {QStringLiteral("Pan"), 127.5, 0, 255},
                     {QStringLiteral("Tilt"), 1234.5, 0, 65535},
                     {QStringLiteral("Zoom"), 12, 12, 12}};
  return spot;
}

// The channel page's dark ground, so the cards look as they do on the page.
inline std::unique_ptr<QWidget> channelPageGround() {
  auto ground = std::make_unique<QWidget>();
  QPalette dark = ground->palette();
  dark.setColor(QPalette::Window, Style::dark(Style::Role::ground));
  dark.setColor(QPalette::WindowText, Style::dark(Style::Role::primaryText));
  ground->setPalette(dark);
  ground->setAutoFillBackground(true);
  return ground;
}
// Frames a card's content in the page's own titled card, on the page's ground.
inline QWidget *pageCard(const QString &title, QWidget *content) {
  return new FixtureModuleCard(title, content);
}

class ConnectedChannelCards : public ::testing::Test {
 protected:
  ConnectedChannelCards() {
    ConsoleShow show;
    show.path = QStringLiteral("/shows/cards.esf");
    show.name = QStringLiteral("Cards");
    ConsolePatchPart spot = ConsolePatchPart::dimmer(5, 1, 1, 16);
    spot.setText(ConsolePatchPart::manufacturer, QStringLiteral("Acme"));
    spot.setText(ConsolePatchPart::model, QStringLiteral("Spot 300"));
    spot.setText(ConsolePatchPart::intensityAddress, QStringLiteral("1/3"));
    show.patch = {spot, ConsolePatchPart::dimmer(6, 1, 101)};
    console.setShow(show);
    console.fixtures[5] = spotFixture();
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    arguments.fixtureControlScheduler = storeClock;
    model = std::make_unique<AppViewModel>(std::move(arguments));
  }

  // Connected over TCP, the patch mirrored, Live controls ready and the first park check
  // done.
  bool connectAndSync() {
    model->setConsoleIP(QStringLiteral("127.0.0.1"));
    model->setConnectionTransport(OSCTransport::tcp);
    model->setTcpFraming(OSCTCPFraming::packetLength);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
    model->connect();
    return waitUntil(
        [&] {
          return model->isConsoleReachable() && !model->isLoadingPatch() &&
                 model->dataStatusMessage() == QStringLiteral("Synced") &&
                 model->isFixtureControlReady() && !model->isRefreshingParkedChannels() &&
                 model->fixtureControls().state(5).has_value();
        },
        10'000);
  }

  const Channel &channel(qint64 number) const {
    for (const Channel &candidate : model->channels())
      if (candidate.number == number) return candidate;
    static const Channel none;
    return none;
  }

  // The cards redraw one turn after the model's changes; parts a redraw adds show on the
  // turn after that, and the layouts follow.
  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }

  static std::unique_ptr<QWidget> framed(const QString &title, QWidget *content, int width = 420) {
    auto frame = channelPageGround();
    auto *layout = new QVBoxLayout(frame.get());
    layout->addWidget(pageCard(title, content));
    frame->resize(width, frame->sizeHint().height());
    return frame;
  }
  static void picture(QWidget &frame, const QString &name) {
    frame.resize(frame.width(), frame.sizeHint().height());
    saveScreenshot(frame, name);
  }

  EosConsoleDouble console;
  // The fixture store's read time-outs run on virtual time.
  std::shared_ptr<ManualLevelCommandScheduler> storeClock =
      std::make_shared<ManualLevelCommandScheduler>();
  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  std::unique_ptr<AppViewModel> model;
};

}  // namespace tarnik::testing
