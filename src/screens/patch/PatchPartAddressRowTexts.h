#pragma once

#include "model/Channel.h"
#include "model/EosPatchPart.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarnik {

// The parts the address card lists: the channel's parts by part number (equal numbers in
// record order), or one part made of the channel's own fields when it reports none.
QList<EosPatchPart> displayedAddressParts(const Channel &channel);

// "Universe 2 · DMX 001–016"; without a range the address as reported, or "Unpatched".
QString partAddressText(const EosPatchPart &part);
// "1 occupied address", "16 occupied addresses" or "Footprint unavailable".
QString partFootprintText(const EosPatchPart &part);
// "Intensity DMX slot U1 · 045"; none without an intensity address.
std::optional<QString> partIntensityText(const EosPatchPart &part);
// "DMX 001 through 016 means 16 occupied output addresses in Universe 1.", for spans of
// two addresses or more.
std::optional<QString> partSpanSentence(const EosPatchPart &part);

// A row's lines in order, the part number line first when asked for; joined they are the
// row's accessible name.
QStringList partAddressRowLines(const EosPatchPart &part, bool showPartNumber);

// The output protocol as the console reports it, "Unknown" when it reports none.
QString channelProtocolText(const Channel &channel);

}  // namespace tarnik
