// The window's Live page: its status button opens the window's own diagnostics screen over
// the page, and that screen's "Done" closes it.

#include "screens/connection/ConnectionDiagnosticsView.h"
#include "screens/live/LiveView.h"
#include "shell/LivePage.h"
#include "shell/MacWorkspaceView.h"
#include "shell/TarnikApp.h"
#include "support/QtPrinting.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;

TEST(LivePage, TheStatusButtonOpensTheConnectionDiagnosticsAndDoneClosesThem) {
  TarnikApp app;
  WorkspacePageFactories pages;
  pages.live = makeLivePage;
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  window.show();
  window.showPage(u"Live"_s);
  auto *page = window.findChild<LiveView *>();
  ASSERT_TRUE(page);
  QTest::mouseClick(window.findChild<QAbstractButton *>(u"live.header.status"_s), Qt::LeftButton);
  auto *dialog = page->findChild<QDialog *>(u"live.diagnostics"_s);
  ASSERT_TRUE(dialog && dialog->isVisible());
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_TRUE(page->isShowingConnectionDiagnostics());
  EXPECT_EQ(dialog->findChild<ConnectionDiagnosticsView *>()->windowTitle(),
            u"Connection Diagnostics"_s);

  QTest::mouseClick(dialog->findChild<QPushButton *>(u"diagnostics.done"_s), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(page->isShowingConnectionDiagnostics());
}

}  // namespace
}  // namespace tarnik
