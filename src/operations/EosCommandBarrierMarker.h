#pragma once

#include <QString>

namespace tarnik {

// A harmless command line that nobody else could have typed: "Chan 1", a random chain of 32
// pieces that only add channel 1 again (16 " + 1", 8 " + 1 Thru 1", 8 " - 1 + 1"), then
// " Enter". When an isolated user's echo shows the chain, everything that user typed before
// it has been processed. There are 7,735,904,619,300 orders.
struct EosCommandBarrierMarker {
  // The single string argument of "/eos/newcmd".
  QString command;
  // The command as the console echoes it once executed: normalised, its final " Enter"
  // replaced by " #". Compare echoes with EosCommandLine::matchesEcho.
  QString normalizedAcknowledgementSuffix;

  // Each call draws a fresh order from the system's cryptographically secure generator.
  static EosCommandBarrierMarker make();

  friend bool operator==(const EosCommandBarrierMarker &,
                         const EosCommandBarrierMarker &) = default;
};

}  // namespace tarnik
