#pragma once

#include <QColor>
#include <QFont>

#include <span>

class QLabel;
class QPushButton;
class QPainter;
class QRectF;

namespace tarnik::Style {

// The pages stand on two grounds: the desktop's light palette, and the black of the Live page
// and a channel's page. One green cannot be read as text on both (on the light window it must
// be darker than the darkest green black still shows), so each role has one value per ground.
enum class Ground { light, dark };

// Colours by what they mean, never by where they are drawn.
enum class Role {
  success,         // live, answering, a control that can change the console now
  failure,         // an error, the stop button
  warning,         // a warning, the offline state
  pending,         // a connection being made
  accent,          // the console's own, a selected choice
  primaryText,     // text on the ground
  secondaryText,   // text that explains or qualifies
  ground,          // the page itself
  cardBackground,  // a card or band standing out from the ground
  sidebar,         // the window's sidebar, a shade below the ground
  selection,       // the selected row of a list
};

QColor colour(Role role, Ground ground);
inline QColor light(Role role) { return colour(role, Ground::light); }
inline QColor dark(Role role) { return colour(role, Ground::dark); }
// The text or symbol colour drawn on a fill of `role`: the one that reads on it.
QColor onColour(Role role, Ground ground);
// Text and symbols on the selected row of a list.
inline QColor onSelection() { return onColour(Role::selection, Ground::light); }
// Fills a push button with `role` and titles it in the role's on-colour, darkening the fill
// until the title reads on the face the style draws: a style may lighten and soften the
// colour it is given (Fusion does), so the title is checked against what is drawn.
void fillButton(QPushButton &button, Role role, Ground ground);
// A translucent wash of `role`, as behind a badge's text.
QColor tint(Role role, Ground ground, double opacity);
// A fill that lets what lies beneath show through.
inline const QColor clear(0, 0, 0, 0);
// A card on the black pages that lets the ground show through: a faint wash of their text.
QColor cardWash();
// Shapes that show no state: the white of a knob or a wheel's centre, the black of a shadow.
QColor whiteAt(double opacity);
QColor blackAt(double opacity);

// What is drawn: text, or a shape (a symbol, a badge's outline; large text, 18 pt or 14 pt
// bold, counts as one).
enum class Size { text, shape };
double minimumContrast(Size size);

// How a pair's text is set: its size against the page's font, its weight, and a word the
// page shows in it. Small and thin type is antialiased into strokes that fall short of their
// own colour, so a text reads only as well as the strongest pixel it really draws.
struct Face {
  double scale = 1.0;
  QFont::Weight weight = QFont::Normal;
  const char *sample = "Text";
};
QFont faceFont(const QFont &base, const Face &face);
// The faces a list row sets its leading badge in: the number, and the caption under it.
inline constexpr Face rowSubheadline{0.93, QFont::DemiBold, "12"};
inline constexpr Face rowSmallCaption{0.78, QFont::Medium, "Chan"};

// One way the pages draw a foreground on a background. A tinted background is the role at
// `backgroundOpacity` over `beneath`; `onFill` draws the foreground role's on-colour, the text
// of a fill of that role.
struct Pair {
  Role foreground;
  Role background;
  Ground ground;
  Size size;
  bool onFill = false;
  double backgroundOpacity = 1.0;
  Role beneath = Role::ground;  // what a translucent background lies on
  Face face = {};
};
// The wash of a list badge's colour behind its text, as light as lets the text read.
inline constexpr double badgeFillOpacity = 0.1;
// The paler wash behind a list row's leading badge (a patch row's channel number).
inline constexpr double badgeWashOpacity = 0.15;
// That badge's wash: the accent's on a row at rest; on the selected row a shade of the
// primary text's black, since a wash of the selection's white text would pale the ground
// under that very text.
QColor rowBadgeWash(bool selected);
// Every pair the pages draw.
std::span<const Pair> pairs();
QColor foregroundOf(const Pair &pair);
QColor backgroundOf(const Pair &pair);

// What shows where `top` lies at `opacity` over the opaque `beneath`.
QColor over(const QColor &top, double opacity, const QColor &beneath);
// The contrast ratio of two opaque colours by their relative luminance, 1 to 21.
double contrast(const QColor &a, const QColor &b);

// The application's look: Fusion, with the palette's selection in a blue that white text reads
// on, so every list selects alike, and a readable secondary grey; the wheel scrolls past the
// fields a person has not chosen (`letTheWheelScrollPastUnfocusedFields`). Call once the
// QApplication exists.
void useApplicationStyle();

// A font scaled from `base`, keeping its weight unless one is given.
QFont scaledFont(const QFont &base, double scale);
QFont scaledFont(const QFont &base, double scale, QFont::Weight weight);
QFont captionFont(const QFont &base);
// The caption size with digits of one width, so addresses and ports line up.
QFont captionDigitsFont(const QFont &base);
QFont headlineFont(const QFont &base);

void setTextColor(QLabel &label, const QColor &color);
// A rounded panel filling `rect`.
void paintPanel(QPainter &painter, const QRectF &rect, double radius, const QColor &color);

}  // namespace tarnik::Style
