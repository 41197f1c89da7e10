// The channel page's header card with labels and values too long for their place: two
// lines at most, shrinking before anything is cut.

#include "screens/patch/ChannelSummaryModule.h"
#include "screens/patch/FittedTextLabel.h"
#include "screens/support/Screenshots.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QScreen>

#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// Words repeated until the text is about the given number of lines wide at the label's font.
QString wordsSpanning(const QLabel &label, double lines) {
  const QFontMetricsF metrics(label.font());
  QString text = u"Wash"_s;
  while (metrics.horizontalAdvance(text) < label.contentsRect().width() * lines) text += u" Wash"_s;
  return text;
}

TEST(ChannelSummaryWidget, LongTitlesAndValuesTakeTwoLinesAndShrinkBeforeTheyAreCut) {
  ChannelSummaryModule summary;
  summary.resize(360, 480);
  summary.show();
  QCoreApplication::processEvents();
  const struct {
    const char *what;
    double lines;  // how wide the text is, in lines of the label at its own size
    bool shrinks, cut;
  } rows[] = {{"one line", 0.5, false, false},
              {"three lines that fit two when shrunk", 2.5, true, false},
              {"too long even when shrunk", 6, true, true}};
  for (const char *name : {"patch.channel.title", "patch.channel.address"}) {
    auto *label = summary.findChild<QLabel *>(QString::fromLatin1(name));
    ASSERT_TRUE(label) << name;
    const QFontMetricsF metrics(label->font());
    const double twoLines = metrics.height() + metrics.lineSpacing();
    for (const auto &row : rows) {
      SCOPED_TRACE(std::string(name) + ": " + row.what);
      Channel channel;
      channel.number = 12;
      channel.label = channel.address = wordsSpanning(*label, row.lines);
      summary.showChannel(channel);
      QCoreApplication::processEvents();
      EXPECT_LE(label->heightForWidth(label->width()), std::ceil(twoLines));
      auto *fitted = qobject_cast<FittedTextLabel *>(label);
      ASSERT_TRUE(fitted);
      const FittedText shown = fitted->fitted();
      EXPECT_EQ(shown.lines.size(), row.lines < 1 ? 1 : 2);
      EXPECT_EQ(shown.scale < 1, row.shrinks);
      if (row.cut) {
        EXPECT_NEAR(shown.scale, 0.62, 0.01);
      }
      EXPECT_EQ(shown.elided, row.cut);
      EXPECT_EQ(label->text(), channel.label);
    }
  }
  summary.resize(360, summary.heightForWidth(360));
  saveScreenshot(summary, u"channel-summary-long-texts"_s);
}

// The description, the console's names for the fixture, takes the lines it needs: a long one
// shows whole. A console's 64 KB texts: each label asks for no more than its screen is wide;
// the title and the address take their two lines, the description no more than a few screens.
TEST(ChannelSummaryWidget, AConsolesLongestTextsAskForAScreenAtMostAndTheirLinesOnly) {
  ChannelSummaryModule summary;
  summary.resize(360, 480);
  summary.show();
  auto *description = summary.findChild<FittedTextLabel *>(u"patch.channel.description"_s);
  ASSERT_TRUE(description);
  const QString names = wordsSpanning(*description, 6);
  summary.showChannel(Channel{.number = 12, .type = names});
  QCoreApplication::processEvents();
  EXPECT_FALSE(description->fitted().elided);
  EXPECT_EQ(description->fitted().lines.join(u' '), names);

  const QString text = u"Wash "_s.repeated(13108);
  summary.showChannel(Channel{.number = 12, .label = text, .address = text, .type = text});
  QCoreApplication::processEvents();
  const int screenHeight = summary.screen()->availableGeometry().height();
  const struct {
    const char *name;
    int lines;  // none: no line limit, a few screens at most
  } labels[] = {
      {"patch.channel.title", 2},
      {"patch.channel.description", 0},
      {"patch.channel.address", 2},
  };
  for (const auto &[name, lines] : labels) {
    auto *label = summary.findChild<QLabel *>(QString::fromLatin1(name));
    ASSERT_TRUE(label) << name;
    EXPECT_LE(label->sizeHint().width(), label->screen()->availableGeometry().width()) << name;
    const double height =
        lines > 0 ? std::ceil(linesHeight(QFontMetricsF(label->font()), lines)) : 3 * screenHeight;
    EXPECT_LE(label->heightForWidth(label->width()), height) << name;
  }
}

}  // namespace
}  // namespace tarnik::testing
