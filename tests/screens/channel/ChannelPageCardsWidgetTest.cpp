// The cards a channel's page stacks under its intensity control (parameters, address and park,
// each framed under its title and fed from the page's own redraws), and "Edit Patch".

#include "ChannelPageTestSupport.h"
#include "screens/patch/PatchEditorView.h"

#include <QAction>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using ChannelPageCardsWidget = ChannelPageTest;

TEST_F(ChannelPageCardsWidget, StacksParametersAddressAndParkBelowTheIntensityInThatOrder) {
  ASSERT_TRUE(prepareChannelFive());
  page->resize(420, 1400);
  settle();
  const QStringList titles{u"fixture.module.control"_s, u"fixture.module.parameters"_s,
                           u"fixture.module.address"_s, u"fixture.module.park"_s};
  int above = -1;
  for (const QString &title : titles) {
    SCOPED_TRACE(title.toStdString());
    ASSERT_TRUE(shows(title));
    QWidget *heading = nullptr;
    for (QWidget *widget : page->findChildren<QWidget *>(title))
      if (widget->isVisibleTo(page.get())) heading = widget;
    const int top = heading->mapTo(page.get(), QPoint()).y();
    EXPECT_GT(top, above);
    above = top;
  }
  // The cards read the live channel and the store's state for its number.
  EXPECT_TRUE(find(u"fixture.address.part.1"_s));
  EXPECT_EQ(text(u"fixture.park.title"_s), u"Unavailable"_s);
  EXPECT_TRUE(find(u"fixture.park.check"_s)->isVisibleTo(page.get()));
  saveScreenshot(*page, u"channel-page-cards"_s);
}

TEST_F(ChannelPageCardsWidget, EditPatchOpensTheEditorForThatChannel) {
  ASSERT_TRUE(prepareChannelFive());
  find<QAction>(u"patch.channel.editPatch"_s)->trigger();
  settle();
  auto *editor = find<PatchEditorView>(u"patch.editor"_s);
  ASSERT_TRUE(editor);
  EXPECT_TRUE(editor->isVisible());
  auto *channelStart = editor->findChild<QLineEdit *>(u"patch.channelStart"_s);
  ASSERT_TRUE(channelStart);
  EXPECT_EQ(channelStart->text(), u"5"_s);
}

}  // namespace
}  // namespace tarnik::testing
