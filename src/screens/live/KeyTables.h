#pragma once

#include "screens/live/KeypadPalette.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarnik {

// One cell of a key panel. A title's "\n" splits the face text into two lines. A cell
// without a key sends nothing; a blank is empty space of one column.
struct KeypadCell {
  enum class Kind { button, wideButton, blank };
  Kind kind = Kind::blank;
  QString title;
  std::optional<QString> key;
  KeypadColor color = KeypadColor::keyFace;
  // The columns a wide key covers; 1 for every other cell.
  int span = 1;
  // The soft keys' corner badge and lighter face; the console keys have neither.
  std::optional<int> number;
  bool isSelected = false;
};

// The Live screen's keys, in the order they are drawn: left to right, top row first. Every
// name sent is the console's own key name; none of it is configurable.
namespace KeyTables {

// Fourteen soft-panel keys in two rows of seven. The six numbered keys carry their default
// titles here; the console's labels replace them on screen (softKeyTitle).
const QList<KeypadCell> &softKeys();
// The parameter, cue and selection rows, six keys each.
const QList<QList<KeypadCell>> &keyRows();
// The main keypad: six rows over six columns, 35 cells of which 33 are keys.
const QList<QList<KeypadCell>> &mainKeypad();

}  // namespace KeyTables

// The title of the numbered soft key at a zero-based index: the console's label trimmed at
// both ends (inner line feeds kept) while something is left of it, else the default.
QString softKeyTitle(const QStringList &labels, qsizetype index, const QString &defaultTitle);

}  // namespace tarnik
