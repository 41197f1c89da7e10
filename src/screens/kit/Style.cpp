#include "screens/kit/Style.h"

#include "screens/kit/UnfocusedFieldWheel.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <array>
#include <cmath>

namespace tarnik::Style {

namespace {

// Each pair: {on the light palette, on black}. The light values are the system hues darkened
// until text in them reads on the darkest light ground a page draws (the sidebar's, a framed
// section's, a badge's wash), as small type really draws it; the dark ones are the bright hues.
struct Swatch {
  QColor light;
  QColor dark;
};

Swatch swatch(Role role) {
  switch (role) {
    case Role::success:
      return {QColor(0x19, 0x6b, 0x2d), QColor(0x30, 0xd1, 0x58)};
    case Role::failure:
      return {QColor(0xc8, 0x1e, 0x1e), QColor(0xff, 0x3b, 0x30)};
    case Role::warning:
      return {QColor(0xad, 0x4e, 0x00), QColor(0xff, 0x95, 0x00)};
    case Role::pending:
      return {QColor(0x8a, 0x6a, 0x00), QColor(0xff, 0xcc, 0x00)};
    case Role::accent:
      return {QColor(0x00, 0x66, 0xcc), QColor(0x0a, 0x84, 0xff)};
    case Role::primaryText:
      return {QColor(0x00, 0x00, 0x00), QColor(0xff, 0xff, 0xff)};
    case Role::secondaryText:
      return {QColor(0x57, 0x57, 0x57), QColor(0x98, 0x98, 0x9f)};
    case Role::ground:
      // The palette's window: list bases are white, so what reads here reads there too.
      return {QColor(0xef, 0xef, 0xef), QColor(0x00, 0x00, 0x00)};
    case Role::cardBackground:
      return {QColor(0xff, 0xff, 0xff), QColor(0x1c, 0x1c, 0x1e)};
    case Role::sidebar:
      // A shade below the window, so the sidebar reads as one column apart from the page.
      return {QColor(0xe1, 0xe1, 0xe1), QColor(0x00, 0x00, 0x00)};
    case Role::selection:
      // Fusion's blue, darkened until white text reads on it with the margin that thin strokes,
      // antialiased short of white, take away.
      return {QColor(0x23, 0x6c, 0xa0), QColor(0x23, 0x6c, 0xa0)};
  }
  return {};
}

double channel(double value) {
  return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour) {
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
         0.0722 * channel(colour.blueF());
}

const QColor white(0xff, 0xff, 0xff);
const QColor black(0x00, 0x00, 0x00);

constexpr double captionScale = 0.85;

// The texts drawn small: the sidebar's status lines and a card's captions.
constexpr Face caption{captionScale, QFont::Normal, "Synced"};
constexpr Face offlineLine{captionScale, QFont::Normal, "Eos offline"};
constexpr Face respondingLine{captionScale, QFont::Normal, "Eos responding"};

// The badges and buttons of each ground, and the text of every state on it.
constexpr std::array pageTable{
    // The palette's pages: state texts, the Go and Stop buttons, the Active badge.
    Pair{Role::success, Role::ground, Ground::light, Size::text},
    Pair{Role::failure, Role::ground, Ground::light, Size::text},
    Pair{Role::warning, Role::ground, Ground::light, Size::text},
    Pair{Role::accent, Role::ground, Ground::light, Size::text},
    Pair{Role::secondaryText, Role::ground, Ground::light, Size::text},
    // A card's captions on the page, the cue list's "Synced".
    Pair{.foreground = Role::secondaryText,
         .background = Role::ground,
         .ground = Ground::light,
         .size = Size::text,
         .face = caption},
    // The sidebar's pages and status lines.
    Pair{Role::primaryText, Role::sidebar, Ground::light, Size::text},
    Pair{.foreground = Role::secondaryText,
         .background = Role::sidebar,
         .ground = Ground::light,
         .size = Size::text,
         .face = offlineLine},
    Pair{.foreground = Role::success,
         .background = Role::sidebar,
         .ground = Ground::light,
         .size = Size::text,
         .face = respondingLine},
    Pair{Role::selection, Role::sidebar, Ground::light, Size::shape},  // the pages' symbols
    // The selected page: its title on the selection, as every list's selected row.
    Pair{.foreground = Role::selection,
         .background = Role::selection,
         .ground = Ground::light,
         .size = Size::text,
         .onFill = true,
         .face = {.sample = "Live"}},
    // A list row's badge: the channel number over "Chan", on the accent's wash, and on the
    // selected row in the selection's white on a shade of it.
    Pair{Role::primaryText, Role::accent, Ground::light, Size::text, false, badgeWashOpacity,
         Role::cardBackground, rowSubheadline},
    Pair{Role::secondaryText, Role::accent, Ground::light, Size::text, false, badgeWashOpacity,
         Role::cardBackground, rowSmallCaption},
    Pair{Role::selection, Role::primaryText, Ground::light, Size::text, true, badgeWashOpacity,
         Role::selection, rowSubheadline},
    Pair{Role::selection, Role::primaryText, Ground::light, Size::text, true, badgeWashOpacity,
         Role::selection, rowSmallCaption},
    // Filled badges and buttons: the Go button, the command history's sources.
    Pair{Role::success, Role::success, Ground::light, Size::text, true},
    Pair{Role::accent, Role::accent, Ground::light, Size::text, true},
    Pair{Role::warning, Role::warning, Ground::light, Size::text, true},
    Pair{Role::secondaryText, Role::secondaryText, Ground::light, Size::text, true},
    Pair{Role::failure, Role::failure, Ground::light, Size::shape, true},
    Pair{Role::success, Role::success, Ground::light, Size::text, false, badgeFillOpacity,
         Role::cardBackground},
    // The Active badge on a selected row: a capsule of the ground, the text in green.
    Pair{Role::ground, Role::selection, Ground::light, Size::shape},
    // The Live page and a channel's page.
    Pair{Role::primaryText, Role::ground, Ground::dark, Size::text},
    Pair{Role::secondaryText, Role::ground, Ground::dark, Size::text},
    Pair{Role::primaryText, Role::cardBackground, Ground::dark, Size::text},
    Pair{Role::secondaryText, Role::cardBackground, Ground::dark, Size::text},
    Pair{Role::success, Role::cardBackground, Ground::dark, Size::text},
    Pair{Role::success, Role::ground, Ground::dark, Size::text},
    Pair{Role::accent, Role::ground, Ground::dark, Size::text},
    Pair{Role::warning, Role::ground, Ground::dark, Size::text},
    Pair{Role::failure, Role::ground, Ground::dark, Size::shape},
    Pair{Role::pending, Role::ground, Ground::dark, Size::shape},
    Pair{Role::success, Role::success, Ground::dark, Size::text, true},
};

}  // namespace

QColor colour(Role role, Ground ground) {
  const Swatch made = swatch(role);
  return ground == Ground::light ? made.light : made.dark;
}

QFont faceFont(const QFont &base, const Face &face) {
  return scaledFont(base, face.scale, face.weight);
}

QColor onColour(Role role, Ground ground) {
  const QColor fill = colour(role, ground);
  return contrast(white, fill) >= contrast(black, fill) ? white : black;
}

namespace {

// The least contrast a title has on the face the button's style draws for this palette, at
// rest and under the pointer, down the middle of the face where the title sits.
double leastTitleContrast(const QPushButton &button, const QPalette &palette, const QColor &title) {
  const QSize size(48, 24);
  double least = 21;
  for (const QStyle::State hover : {QStyle::State_None, QStyle::State_MouseOver}) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.palette = palette;
    option.rect = QRect(QPoint(), size);
    option.state |= QStyle::State_Raised | hover;
    QImage face(size, QImage::Format_ARGB32_Premultiplied);
    face.fill(palette.color(QPalette::Window));
    QPainter painter(&face);
    button.style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, &button);
    painter.end();
    for (int y = size.height() / 4; y < size.height() * 3 / 4; ++y)
      least = std::min(least, contrast(title, face.pixelColor(size.width() / 2, y)));
  }
  return least;
}

}  // namespace

void fillButton(QPushButton &button, Role role, Ground ground) {
  constexpr int darkeningSteps = 8;
  QPalette palette = button.palette();
  QColor fill = colour(role, ground);
  QColor title = onColour(role, ground);
  for (int step = 0;; ++step) {
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
      palette.setColor(group, QPalette::Button, fill);
    if (leastTitleContrast(button, palette, title) >= minimumContrast(Size::text)) break;
    if (step == darkeningSteps) {
      // No shade of the role carries its own title: the other one, whichever reads better.
      title =
          leastTitleContrast(button, palette, white) >= leastTitleContrast(button, palette, black)
              ? white
              : black;
      break;
    }
    fill = fill.darker(112);
  }
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    palette.setColor(group, QPalette::ButtonText, title);
  button.setPalette(palette);
}

QColor tint(Role role, Ground ground, double opacity) {
  QColor made = colour(role, ground);
  made.setAlphaF(static_cast<float>(opacity));
  return made;
}

QColor cardWash() { return tint(Role::primaryText, Ground::dark, 26 / 255.0); }

QColor whiteAt(double opacity) {
  QColor made = white;
  made.setAlphaF(static_cast<float>(opacity));
  return made;
}

QColor blackAt(double opacity) {
  QColor made = black;
  made.setAlphaF(static_cast<float>(opacity));
  return made;
}

double minimumContrast(Size size) { return size == Size::text ? 4.5 : 3.0; }

QColor rowBadgeWash(bool selected) {
  return tint(selected ? Role::primaryText : Role::accent, Ground::light, badgeWashOpacity);
}

std::span<const Pair> pairs() { return pageTable; }

QColor foregroundOf(const Pair &pair) {
  return pair.onFill ? onColour(pair.foreground, pair.ground)
                     : colour(pair.foreground, pair.ground);
}

QColor backgroundOf(const Pair &pair) {
  return over(colour(pair.background, pair.ground), pair.backgroundOpacity,
              colour(pair.beneath, pair.ground));
}

QColor over(const QColor &top, double opacity, const QColor &beneath) {
  const auto mix = [&](double a, double b) { return a * opacity + b * (1 - opacity); };
  return QColor::fromRgbF(static_cast<float>(mix(top.redF(), beneath.redF())),
                          static_cast<float>(mix(top.greenF(), beneath.greenF())),
                          static_cast<float>(mix(top.blueF(), beneath.blueF())));
}

double contrast(const QColor &a, const QColor &b) {
  // Both luminances are held by value: std::minmax of two temporaries would hand back
  // references to values already gone.
  const double first = luminance(a);
  const double second = luminance(b);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

void useApplicationStyle() {
  QApplication::setStyle(QStringLiteral("Fusion"));
  QPalette palette = QApplication::style()->standardPalette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, colour(Role::selection, Ground::light));
    palette.setColor(group, QPalette::HighlightedText, onSelection());
    // Fusion's half-transparent placeholder grey reads at under 4:1 on its own window.
    palette.setColor(group, QPalette::PlaceholderText, light(Role::secondaryText));
  }
  QApplication::setPalette(palette);
  letTheWheelScrollPastUnfocusedFields(*qApp);
}

QFont scaledFont(const QFont &base, double scale) {
  QFont font = base;
  if (base.pointSizeF() > 0) font.setPointSizeF(base.pointSizeF() * scale);
  return font;
}

QFont scaledFont(const QFont &base, double scale, QFont::Weight weight) {
  QFont font = scaledFont(base, scale);
  font.setWeight(weight);
  return font;
}

QFont captionFont(const QFont &base) { return scaledFont(base, captionScale); }

QFont captionDigitsFont(const QFont &base) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(captionFont(base).pointSizeF());
  return font;
}

QFont headlineFont(const QFont &base) {
  QFont font = base;
  font.setBold(true);
  return font;
}

void setTextColor(QLabel &label, const QColor &color) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  label.setPalette(palette);
}

void paintPanel(QPainter &painter, const QRectF &rect, double radius, const QColor &color) {
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  painter.fillPath(path, color);
}

}  // namespace tarnik::Style
