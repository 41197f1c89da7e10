// Feeds arbitrary bytes as stored JSON to every show-record decoder. Whatever decodes must
// encode and decode again to an equal record, and the display helpers must cope with any
// text a stored record can carry.
#include "model/ConsoleConnectionProfile.h"
#include "model/PatchFixtureChoice.h"
#include "model/SavedShowFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tarnik;

namespace {

template <class T>
std::optional<T> decodedAndRoundTripped(const QByteArray &text) {
  std::expected<T, JsonError> decoded = decodeJsonText<T>(text);
  if (!decoded) return std::nullopt;
  const std::expected<T, JsonError> again = decodeJsonText<T>(encodeJsonText(*decoded));
  if (!again || !(*again == *decoded)) std::abort();
  return std::move(*decoded);
}

void showChannel(const Channel &channel) {
  channel.displayTypeName();
  channel.manufacturer();
  channel.model();
  channel.addressRangeText();
  channel.matches(channel.label);
}

void showCue(const Cue &cue) {
  cue.hasAttributes();
  for (const QString *time : {&cue.duration, &cue.upTime, &cue.downTime, &cue.focusTime,
                              &cue.colorTime, &cue.beamTime, &cue.follow, &cue.hang}) {
    Cue::formattedTime(*time);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  if (const auto profile = decodedAndRoundTripped<ConsoleConnectionProfile>(text))
    (void)profile->validated();
  decodedAndRoundTripped<QList<ConsoleConnectionProfile>>(text);
  decodedAndRoundTripped<EosPatchPart::ID>(text);
  decodedAndRoundTripped<PatchFixtureChoice>(text);
  decodedAndRoundTripped<EosDMXRange>(text);
  if (const auto part = decodedAndRoundTripped<EosPatchPart>(text)) {
    if (const std::optional<EosDMXRange> range = part->occupiedRange()) range->displayText();
  }
  if (const auto channel = decodedAndRoundTripped<Channel>(text)) showChannel(*channel);
  if (const auto cue = decodedAndRoundTripped<Cue>(text)) showCue(*cue);
  if (const auto shows = decodedAndRoundTripped<QList<SavedShowFile>>(text)) {
    for (const SavedShowFile &show : *shows) {
      for (const Channel &channel : show.channels) showChannel(channel);
      for (const Cue &cue : show.cues) showCue(cue);
    }
  }
  decodedAndRoundTripped<SavedShowFile>(text);
  return 0;
}
