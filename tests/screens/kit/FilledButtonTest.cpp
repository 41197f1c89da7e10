#include "screens/kit/Style.h"
#include "screens/support/Screenshots.h"

#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>
#include <map>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

// A filled button as a person sees it: its face the colour drawn most, its title the colour
// that stands out most from the face.
TEST(FilledButtonWidget, TheTitleReadsOnTheFaceTheStyleDraws) {
  const struct {
    const char *title;
    Style::Role role;
    Style::Ground ground;
  } cases[] = {
      {"Connect", Style::Role::accent, Style::Ground::light},
      {"Unpark", Style::Role::success, Style::Ground::dark},
      {"Stop", Style::Role::failure, Style::Ground::light},
      {"Check", Style::Role::warning, Style::Ground::light},
  };
  for (const auto &c : cases) {
    QPushButton button(QString::fromLatin1(c.title));
    Style::fillButton(button, c.role, c.ground);
    button.resize(160, 32);
    button.show();
    const QImage image = button.grab().toImage();
    testing::saveScreenshot(button,
                            u"kit-filled-button-"_s + QString::fromLatin1(c.title).toLower());
    std::map<QRgb, int> counts;
    for (int y = 4; y < image.height() - 4; ++y)
      for (int x = 4; x < image.width() - 4; ++x) ++counts[image.pixel(x, y)];
    const QColor face = QColor::fromRgb(std::ranges::max_element(counts, {}, [](const auto &entry) {
                                          return entry.second;
                                        })->first);
    double title = 1;
    for (const auto &[rgb, count] : counts)
      title = std::max(title, Style::contrast(QColor::fromRgb(rgb), face));
    EXPECT_GE(title, 4.5) << c.title << " on " << face.name().toStdString();
  }
}

}  // namespace
}  // namespace tarnik
