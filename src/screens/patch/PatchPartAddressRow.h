#pragma once

#include "model/EosPatchPart.h"

#include <QWidget>

namespace tarnik {

// One patched part in the address card: its part number when the channel has several, its
// DMX address, how many addresses it occupies, its intensity slot and, for spans, a
// sentence spelling the span out. Read as one element whose name is its lines in order.
class PatchPartAddressRow : public QWidget {
  Q_OBJECT

 public:
  PatchPartAddressRow(const EosPatchPart &part, bool showPartNumber, QWidget *parent = nullptr);
};

}  // namespace tarnik
