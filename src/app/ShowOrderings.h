#pragma once

#include "app/PatchPartReply.h"
#include "model/Channel.h"
#include "model/Cue.h"
#include "model/EosPatchPart.h"

#include <QCollator>
#include <QList>

namespace tarnik {

// The orderings the mirrored show is published in. Every one is a stable sort: records whose
// keys compare equal keep the order they came in.

// The collator that breaks ties between cue numbers of equal value: the current locale's,
// comparing digit runs by their numeric value.
QCollator cueNumberCollator();

// Cue a before cue b: by Cue::numberSortValue (a number that does not read counts as 0),
// then, for equal values, only when the collator puts a's text first. Values
// of equal number such as "1" and "1.0" thereby keep one order on every run.
bool cueNumberOrder(const Cue &a, const Cue &b, const QCollator &collator);

void sortByCueNumber(QList<Cue> &cues);
void sortByChannelNumber(QList<Channel> &channels);
void sortByPartNumber(QList<PatchPart> &rows);
void sortByPartNumber(QList<EosPatchPart> &parts);

}  // namespace tarnik
