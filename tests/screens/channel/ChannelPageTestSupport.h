#pragma once

// A channel's page over a model that drives the console double on TCP: the model's fixture
// control as its own tests run it, and the page's level sends on a virtual clock of their own.

#include "app/AppViewModelFixtureControlTestSupport.h"
#include "screens/patch/LevelScrubber.h"
#include "screens/patch/PatchDetailView.h"
#include "screens/support/Screenshots.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

namespace tarnik::testing {

class ChannelPageTest : public AppViewModelFixtureControlTest {
 protected:
  void makePage(qint64 number = 5) {
    Channel row;
    row.number = number;
    for (const Channel &channel : model->channels())
      if (channel.number == number) row = channel;
    page = std::make_unique<PatchDetailView>(
        *model, row, std::make_unique<LevelCommandThrottler>(10, levelClock, levelClock->uptime()));
    page->resize(420, 820);
    page->show();
    settle();
  }
  // Redraws land one turn after the change that asks for them.
  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }
  template <typename Widget = QWidget>
  Widget *find(const QString &name) {
    return page->findChild<Widget *>(name);
  }
  // Some names stand twice (both intensity cards are titled "Control"): any one shown counts.
  bool shows(const QString &name) {
    for (QWidget *widget : page->findChildren<QWidget *>(name))
      if (widget->isVisibleTo(page.get())) return true;
    return false;
  }
  LevelScrubber *scrubber() {
    return find<LevelScrubber>(QStringLiteral("patch.channel.scrubber"));
  }
  QString text(const QString &name) {
    auto *label = find<QLabel>(name);
    return label ? label->text() : QString();
  }
  // Connected, Live controls ready, and channel 5's parameters read by the page itself.
  bool prepareChannelFive() {
    console.fixtures[5] = {};  // a dimmer with intensity 0 to 100
    makePage();
    if (!connectAndPrepare()) return false;
    const bool read = waitUntil([&] {
      const auto state = model->fixtureControls().state(5);
      return state && state->parameterReadState == FixtureControlReadState::loaded;
    });
    settle();
    return read && scrubber()->isEnabled();
  }
  void mouse(QEvent::Type type, double level, bool held) {
    const QPointF at(12 + (scrubber()->width() - 24) * level / 100, 12);
    QMouseEvent event(type, at, scrubber()->mapToGlobal(at), Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scrubber(), &event);
  }

  std::shared_ptr<ManualLevelCommandScheduler> levelClock =
      std::make_shared<ManualLevelCommandScheduler>();
  std::unique_ptr<PatchDetailView> page;
};

}  // namespace tarnik::testing
