#include "screens/live/KeyTables.h"

#include "foundation/TextRules.h"

namespace tarnik {

using namespace Qt::StringLiterals;

namespace {

KeypadCell key(const QString &title, const QString &name,
               KeypadColor color = KeypadColor::keyFace) {
  KeypadCell cell;
  cell.kind = KeypadCell::Kind::button;
  cell.title = title;
  cell.key = name;
  cell.color = color;
  return cell;
}

KeypadCell wideKey(const QString &title, const QString &name, int span) {
  KeypadCell cell = key(title, name);
  cell.kind = KeypadCell::Kind::wideButton;
  cell.span = span;
  return cell;
}

KeypadCell numberedSoftKey(int number, const QString &defaultTitle) {
  KeypadCell cell =
      key(defaultTitle, u"softkey_"_s + QString::number(number), KeypadColor::selectedSoftKeyFace);
  cell.number = number;
  cell.isSelected = true;
  return cell;
}

KeypadCell softKey(const QString &title, const QString &name) {
  return key(title, name, KeypadColor::softKeyFace);
}

}  // namespace

const QList<KeypadCell> &KeyTables::softKeys() {
  static const QList<KeypadCell> table{
      numberedSoftKey(1, u"Address"_s),
      numberedSoftKey(2, u"Query"_s),
      numberedSoftKey(3, u"Snapshot"_s),
      numberedSoftKey(4, u"Trace"_s),
      numberedSoftKey(5, u"Assert"_s),
      numberedSoftKey(6, u"Color\nPath"_s),
      softKey(u"More SK"_s, u"more_softkeys"_s),
      softKey(u"Record"_s, u"record"_s),
      softKey(u"Record\nOnly"_s, u"record_only"_s),
      softKey(u"Update"_s, u"update"_s),
      softKey(u"Part"_s, u"part"_s),
      softKey(u"Delete"_s, u"delete"_s),
      softKey(u"Undo"_s, u"undo"_s),
      softKey(u"Shift"_s, u"shift"_s),
  };
  return table;
}

const QList<QList<KeypadCell>> &KeyTables::keyRows() {
  static const QList<QList<KeypadCell>> table{
      {key(u"Intensity"_s, u"intensity"_s), key(u"Focus"_s, u"focus"_s),
       key(u"Color"_s, u"color"_s), key(u"Shutter"_s, u"shutter"_s), key(u"Image"_s, u"image"_s),
       key(u"Form"_s, u"form"_s)},
      {key(u"Cue"_s, u"cue"_s), key(u"Macro"_s, u"macro"_s), key(u"Effect"_s, u"effect"_s),
       key(u"GoTo\nCue"_s, u"goto_cue"_s), key(u"Recall\nFrom"_s, u"recall_from"_s),
       key(u"Park"_s, u"park"_s)},
      {key(u"Sub"_s, u"sub"_s), key(u"Select\nLast"_s, u"select_last"_s),
       key(u"Select\nMan"_s, u"select_manual"_s), key(u"Channel\nCheck"_s, u"channel_check"_s),
       key(u"Last"_s, u"last"_s), key(u"Next"_s, u"next"_s)},
  };
  return table;
}

const QList<QList<KeypadCell>> &KeyTables::mainKeypad() {
  static const KeypadCell blank{};
  static const QList<QList<KeypadCell>> table{
      {key(u"Int\nPalette"_s, u"intensity_palette"_s, KeypadColor::intensityPaletteKey), blank,
       blank, key(u"/"_s, u"divide"_s), key(u"High"_s, u"high"_s), key(u"Sneak"_s, u"sneak"_s)},
      {key(u"Focus\nPalette"_s, u"focus_palette"_s, KeypadColor::focusPaletteKey),
       key(u"+"_s, u"plus"_s), key(u"Thru"_s, u"thru"_s), key(u"-"_s, u"minus"_s),
       key(u"Delay"_s, u"delay"_s), key(u"Time"_s, u"time"_s)},
      {key(u"Color\nPalette"_s, u"color_palette"_s, KeypadColor::colorPaletteKey),
       key(u"7"_s, u"7"_s), key(u"8"_s, u"8"_s), key(u"9"_s, u"9"_s),
       key(u"Rem Dim"_s, u"remdim"_s), key(u"Home"_s, u"home"_s)},
      {key(u"Beam\nPalette"_s, u"beam_palette"_s, KeypadColor::beamPaletteKey), key(u"4"_s, u"4"_s),
       key(u"5"_s, u"5"_s), key(u"6"_s, u"6"_s), key(u"Out"_s, u"out"_s),
       key(u"Level"_s, u"level"_s)},
      {key(u"Preset"_s, u"preset"_s, KeypadColor::presetKey), key(u"1"_s, u"1"_s),
       key(u"2"_s, u"2"_s), key(u"3"_s, u"3"_s), key(u"At"_s, u"at"_s), key(u"Full"_s, u"full"_s)},
      {key(u"Group"_s, u"group"_s, KeypadColor::groupKey), key(u"Clear"_s, u"clear_cmd"_s),
       key(u"0"_s, u"0"_s), key(u"."_s, u"decimal"_s), wideKey(u"Enter"_s, u"enter"_s, 2)},
  };
  return table;
}

QString softKeyTitle(const QStringList &labels, qsizetype index, const QString &defaultTitle) {
  if (index < 0 || index >= labels.size()) return defaultTitle;
  const QString label = trimmedText(labels.at(index));
  return label.isEmpty() ? defaultTitle : label;
}

}  // namespace tarnik
