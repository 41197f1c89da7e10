#include "screens/kit/PlainLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/TitledSection.h"
#include "screens/support/DrawnContrast.h"
#include "screens/support/Screenshots.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

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
    const testing::DrawnContrast drawn =
        testing::drawnContrast(image, image.rect().adjusted(4, 4, -4, -4));
    EXPECT_GE(drawn.text, 4.5) << c.title << " on " << drawn.ground.name().toStdString();
  }
}

// The state texts inside a framed section, on the ground the style draws inside its frame.
TEST(FramedSectionWidget, StateTextsReadOnTheSectionsOwnGround) {
  TitledSection section(u"Settings"_s);
  auto *column = new QVBoxLayout(&section);
  QList<QLabel *> texts;
  for (const Style::Role role : {Style::Role::success, Style::Role::failure, Style::Role::warning,
                                 Style::Role::accent, Style::Role::secondaryText}) {
    QLabel *text = plainLabel(u"Pairing code not stored"_s);
    Style::setTextColor(*text, Style::light(role));
    column->addWidget(text);
    texts.append(text);
  }
  section.resize(320, 220);
  section.show();
  testing::saveScreenshot(section, u"kit-framed-section-texts"_s);
  const QImage image = section.grab().toImage();
  for (const QLabel *text : texts) {
    const QColor colour = text->palette().color(QPalette::WindowText);
    const QColor ground = testing::drawnContrast(image, text->geometry()).ground;
    EXPECT_GE(Style::contrast(colour, ground), 4.5)
        << colour.name().toStdString() << " on " << ground.name().toStdString();
  }
}

}  // namespace
}  // namespace tarnik
