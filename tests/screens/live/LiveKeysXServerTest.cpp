// The keys under a real X server: a person's click on "8" reaches the console.

#include "LiveKeysTestSupport.h"
#include "screens/support/XdoTool.h"

#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using LiveKeysXServer = LiveKeysTest;

TEST_F(LiveKeysXServer, AClickOnEightSendsKeyEight) {
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  connectOverTcp();
  ConsoleKeyButton *eight = key(u"8"_s);
  ASSERT_TRUE(eight);
  ASSERT_TRUE(clickCentre(*view, *eight));
  EXPECT_TRUE(waitUntil([&] { return console.requests(u"/eos/key/8"_s).size() == 1; }));
  EXPECT_EQ(model->commandHistory().last().text, u"Key 8"_s);
}

}  // namespace
}  // namespace tarnik::testing
