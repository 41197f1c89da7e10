#pragma once

#include "link/OSCMessage.h"

#include <QHash>
#include <QList>
#include <QString>

#include <map>
#include <optional>

namespace tarnik::testing {

// One cue as the console sends it: 31 fields under its number text (its replies name as many
// fields as the list holds, so a test may add or remove some). Field 0 is the list
// index, which the console writes into each reply (the index asked for), so what is kept
// there is only a placeholder.
struct ConsoleCue {
  static constexpr int fieldCount = 31;

  QString number;
  QList<OSCArgument> fields = QList<OSCArgument>(fieldCount, OSCArgument::fromInt(0));
};

// One patch part as the console sends it: 21 fields under (channel, part). Field 0 is the
// list index, written into each reply (the index asked for, or -1 for a channel read).
struct ConsolePatchPart {
  static constexpr int fieldCount = 21;
  enum Field {
    uid = 1,
    label = 2,
    manufacturer = 3,
    model = 4,
    startAddress = 5,
    intensityAddress = 6,
    level = 7,
    partCount = 19,
    endAddress = 20,
  };

  int channel = 0;
  int part = 0;
  QList<OSCArgument> fields = QList<OSCArgument>(fieldCount, OSCArgument::fromInt(0));

  // The field's text when it is a string argument, else the empty text.
  QString text(Field field) const;
  void setText(Field field, const QString &text);
  // A Generic Dimmer part at "universe/address" (an empty address for none), as a patch
  // line makes one; footprint counts the addresses it occupies.
  static ConsolePatchPart dimmer(int channel, int part, int absoluteAddress, int footprint = 1);
};

// "universe/address" of an absolute DMX address (1 is "1/1", 513 is "2/1").
QString consoleAddressText(int absoluteAddress);
// The absolute address of "universe/address", or nothing when it does not read.
std::optional<int> consoleAbsoluteAddress(const QString &text);

// A whole show: identity, cue lists and the patch, each in the console's index order.
struct ConsoleShow {
  QString path;
  QString name;
  std::map<int, QList<ConsoleCue>> cueLists;  // list number -> cues, index order
  QList<ConsolePatchPart> patch;              // ascending channel, then part: index order

  // The parts of one channel, ascending.
  QList<ConsolePatchPart> channelParts(int channel) const;
  ConsolePatchPart *patchPart(int channel, int part);
  // Replaces the part of the same channel and part, or inserts it in index order.
  void setPatchPart(ConsolePatchPart part);
  void removeChannel(int channel);
  // Replaces the cue of the same number, or inserts it in cue-number order.
  void setCue(int list, ConsoleCue cue);
  bool removeCue(int list, const QString &number);
};

// A reproducible show of any size: whole and decimal cue numbers; times as int
// milliseconds, floats and strings; labels with non-ASCII text and double quotes; scene
// breaks; flags in every form the console may use; channels of one to three parts over
// many universes with int and text addresses.
ConsoleShow generateConsoleShow(int cueCount, int patchPartCount, quint32 seed = 1);

// How the fields of one record are cut into reply messages.
struct RecordSlicing {
  int slices = 1;         // runs per record; 1 sends the record whole
  int overlap = 0;        // each run after the first also repeats this many earlier fields
  bool shuffled = false;  // the runs leave in a seeded random order
  quint32 seed = 1;

  friend bool operator==(const RecordSlicing &, const RecordSlicing &) = default;
};

// The reply messages of one record: addressPrefix + start + "/" + totalCount for each run,
// with field 0 set to index. totalCount is normally fields.size(); a fault may say
// another number.
QList<OSCMessage> slicedRecord(const QString &addressPrefix, QList<OSCArgument> fields,
                               qint32 index, const RecordSlicing &slicing, quint32 recordSeed,
                               qsizetype totalCount);

// The patch line forms that the console's Patch mode takes (channel, part, address and
// type lines). Applies one to the patch and returns the channels it changed, or nothing
// when the line is not one of them (the patch is then unchanged). Types are stored with
// their underscores shown as blanks; footprints are looked up by the stored model text
// (1 when absent).
std::optional<QList<int>> applyPatchLine(ConsoleShow &show, const QString &line,
                                         const QHash<QString, int> &footprints);

}  // namespace tarnik::testing
