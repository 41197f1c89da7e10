// A channel's page as it stands: viewer mode, Live controls being prepared, the actions
// menu, the capability check, and the cards' names.

#include "ChannelPageTestSupport.h"
#include "screens/kit/NavigationStack.h"

#include <QAction>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using ChannelPageWidget = ChannelPageTest;

TEST_F(ChannelPageWidget, ViewerModeShowsTheNoticeInsteadOfEveryControl) {
  ASSERT_TRUE(prepareChannelFive());
  // Pushed as the Patch list pushes it: the stack takes the page and its actions menu.
  NavigationStack stack(u"patch.stack"_s);
  stack.resize(420, 860);
  stack.push(new QWidget, u"Patch"_s);
  PatchDetailView *shown = page.get();
  stack.push(page.release(), shown->title(), shown->toolbar());
  page.reset(shown);  // the fixture reads it; the stack owns it and deletes it
  struct Disown {
    std::unique_ptr<PatchDetailView> &page;
    ~Disown() { (void)page.release(); }
  } disown{page};
  stack.show();
  settle();
  auto *actions = stack.findChild<QWidget *>(u"patch.channel.actions"_s);
  EXPECT_TRUE(shows(u"fixture.module.control"_s));
  EXPECT_TRUE(actions->isVisible());
  EXPECT_EQ(actions->accessibleName(), u"Channel actions"_s);
  saveScreenshot(stack, u"channel-page-editor"_s);

  model->setInteractionMode(InteractionMode::viewer);
  settle();
  EXPECT_TRUE(shows(u"patch.channel.viewerNotice"_s));
  EXPECT_EQ(text(u"patch.channel.viewerNotice"_s),
            u"Viewer mode is on. Fixture details remain available, but controls are read only."_s);
  EXPECT_FALSE(shows(u"fixture.module.control"_s));
  EXPECT_FALSE(shows(u"fixture.module.live controls"_s));
  EXPECT_FALSE(actions->isVisible());
  saveScreenshot(stack, u"channel-page-viewer"_s);
}

TEST_F(ChannelPageWidget, WhileLiveControlsPrepareTheCardShowsTheStatusAndNoRetry) {
  // The Live session never gets its console user.
  console.setHandler(u"/eos/user/auto"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  makePage();
  EXPECT_EQ(page->title(), u"Channel 5"_s);
  EXPECT_TRUE(shows(u"fixture.module.live controls"_s));
  ASSERT_TRUE(connectAndPrepare(u"Preparing Live controls…"_s));
  settle();
  EXPECT_EQ(text(u"patch.channel.liveControlsStatus"_s), u"Preparing Live controls…"_s);
  auto *retry = find<QPushButton>(u"patch.channel.retryLiveControls"_s);
  EXPECT_TRUE(model->canControlFixtures());
  EXPECT_FALSE(retry->isEnabled());
  EXPECT_FALSE(find<QAction>(u"patch.channel.identify"_s)->isEnabled());
  EXPECT_TRUE(find<QAction>(u"patch.channel.editPatch"_s)->isEnabled());
  saveScreenshot(*page, u"channel-page-preparing"_s);

  // Once the session has failed, Retry starts a new one.
  sessionClock->advance(8);
  ASSERT_TRUE(waitUntil([&] { return !model->hasLiveControlSession(); }));
  settle();
  EXPECT_TRUE(retry->isEnabled());
  ASSERT_EQ(liveSessions.size(), 1);
  retry->click();
  EXPECT_EQ(liveSessions.size(), 2);
  EXPECT_EQ(model->fixtureControlStatus(), u"Preparing Live controls…"_s);
}

TEST_F(ChannelPageWidget, IdentifyIsOfferedOnlyWhileControllableAndGoesThroughTheModel) {
  ASSERT_TRUE(prepareChannelFive());
  auto *identify = find<QAction>(u"patch.channel.identify"_s);
  ASSERT_TRUE(identify->isEnabled());
  identify->trigger();
  ASSERT_FALSE(model->commandHistory().isEmpty());
  EXPECT_EQ(model->commandHistory().last().text, u"Identify channel 5"_s);

  QStringList edits;
  QObject::connect(page.get(), &PatchDetailView::editPatchRequested, page.get(),
                   [&](const Channel &channel) { edits << QString::number(channel.number); });
  find<QAction>(u"patch.channel.editPatch"_s)->trigger();
  EXPECT_EQ(edits, QStringList({u"5"_s}));

  model->setInteractionMode(InteractionMode::viewer);
  settle();
  EXPECT_FALSE(identify->isEnabled());
}

TEST_F(ChannelPageWidget, AChannelNeverReadShowsTheCapabilityCheckWhileControlIsPossible) {
  ASSERT_TRUE(connectAndPrepare());
  makePage(6);  // shown after Live controls were ready: only the page's own question is out
  const auto state = model->fixtureControls().state(6);
  ASSERT_TRUE(!state || state->parameterReadState != FixtureControlReadState::loaded);
  EXPECT_TRUE(shows(u"patch.channel.checkingCapability"_s));
  EXPECT_EQ(text(u"patch.channel.checkingCapability"_s),
            u"Checking fixture intensity capability…"_s);
  EXPECT_TRUE(shows(u"fixture.module.control"_s));
  EXPECT_FALSE(shows(u"patch.channel.scrubber"_s));
}

}  // namespace
}  // namespace tarnik::testing
