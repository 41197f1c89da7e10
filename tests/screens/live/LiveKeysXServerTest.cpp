// The keys under a real X server: a person's click on "8" reaches the console.

#include "LiveKeysTestSupport.h"
#include "support/ProcessRunner.h"

#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using LiveKeysXServer = LiveKeysTest;

bool xdotool(const QStringList &arguments) {
  const auto result = ProcessRunner::run(u"xdotool"_s, arguments, 20s);
  return result && result->exitCode == 0;
}

TEST_F(LiveKeysXServer, AClickOnEightSendsKeyEight) {
  makeView();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  connectOverTcp();
  ConsoleKeyButton *eight = key(u"8"_s);
  ASSERT_TRUE(eight);
  const QString window = QString::number(view->winId());
  const QPoint at = eight->mapTo(view.get(), eight->rect().center());
  ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, window, QString::number(at.x()),
                       QString::number(at.y()), u"click"_s, u"1"_s}));
  EXPECT_TRUE(waitUntil([&] { return console.requests(u"/eos/key/8"_s).size() == 1; }));
  EXPECT_EQ(model->commandHistory().last().text, u"Key 8"_s);
}

}  // namespace
}  // namespace tarnik::testing
