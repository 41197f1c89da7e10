#pragma once

#include "app/AddressComponents.h"

#include <QStringView>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// Where one slice of a list reply belongs, read from its address, whether a sync or a
// single read asked for it. The field count is one the model can read (see
// readableFieldCount); any other shape gives nothing.

// eos/out/get/cue/1/<cue>/0/list/<start>/<count>: cue list 1, part 0 only.
struct CueListSlice {
  QStringView cueNumber;
  qint64 start = 0;
  qint64 fieldCount = 0;
};
std::optional<CueListSlice> readCueListSlice(const AddressComponents &components);

// eos/out/get/patch/<channel>/<part>/list/<start>/<count>
struct PatchListSlice {
  qint64 channel = 0;
  qint64 part = 0;
  qint64 start = 0;
  qint64 fieldCount = 0;
};
std::optional<PatchListSlice> readPatchListSlice(const AddressComponents &components);

}  // namespace tarnik
