#pragma once

#include "model/EosDMXRange.h"
#include "model/EosPatchPart.h"

#include <QList>

#include <optional>
#include <vector>

namespace tarnik {

// The console's current patch arranged for planning: each identity once, each record's
// addresses read once, and the readable ranges by universe and start. A plan then visits only
// the records its own identities and addresses touch (and those whose addresses cannot be
// read), not every part of the show. Made once per publication of the patch; never changed.
class PatchIndex {
 public:
  // How a record takes its addresses.
  enum class Occupancy {
    none,     // both address texts blank: it occupies nothing
    unknown,  // an address that does not read as a range
    range,
  };
  struct Record {
    EosPatchPart::ID id;
    Occupancy occupancy = Occupancy::none;
    EosDMXRange range{};  // for `range`
  };

  // `parts` in any order. Of several records with one identity, the last in identity order
  // (a stable sort) stands; each one it replaced is counted in `duplicates`.
  explicit PatchIndex(QList<EosPatchPart> parts);

  // One identity per record replaced by a later one, in identity order.
  const QList<EosPatchPart::ID> &duplicates() const { return duplicates_; }
  // The records that stand, in identity order.
  const std::vector<Record> &records() const { return records_; }
  // The position in `records` of the record with this identity.
  std::optional<std::size_t> position(const EosPatchPart::ID &id) const;
  // Positions of the records whose addresses are unknown, ascending.
  const std::vector<std::size_t> &unknownRanges() const { return unknownRanges_; }
  // Appends the positions of the records whose range in `universe` meets first...last.
  void appendOverlapping(qint64 universe, qint64 first, qint64 last,
                         std::vector<std::size_t> &positions) const;

 private:
  struct Placed {
    qint64 universe = 0;
    qint64 start = 0;
    qint64 end = 0;
    // The largest end of this universe's ranges up to this one, so a look-up walking back
    // from a start knows when no earlier range can reach it.
    qint64 furthestEnd = 0;
    std::size_t record = 0;
  };

  std::vector<Record> records_;
  QList<EosPatchPart::ID> duplicates_;
  std::vector<std::size_t> unknownRanges_;
  std::vector<Placed> byAddress_;
};

}  // namespace tarnik
