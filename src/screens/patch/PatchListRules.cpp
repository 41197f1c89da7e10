#include "screens/patch/PatchListRules.h"

#include "foundation/TextRules.h"
#include "screens/kit/LocaleTexts.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {

std::optional<PatchBannerContent> patchBannerContent(bool hasChannels, bool isLoadingPatch,
                                                     bool isConsoleReachable,
                                                     const QString &dataStatusMessage) {
  using Kind = PatchBannerContent::Kind;
  if (!hasChannels) return std::nullopt;
  if (isLoadingPatch) return PatchBannerContent{Kind::syncing, {}};
  if (!isConsoleReachable) return PatchBannerContent{Kind::offline, {}};
  QString status = trimmedText(dataStatusMessage);
  if (status.isEmpty() || status == u"Synced"_s) return std::nullopt;
  return PatchBannerContent{Kind::attention, std::move(status)};
}

PatchListContent patchListContent(bool hasChannels, bool hasVisibleChannels, bool parkedOnly,
                                  bool hasConfirmedParkedChannel) {
  if (!hasChannels) return PatchListContent::emptyPatch;
  if (hasVisibleChannels) return PatchListContent::rows;
  if (parkedOnly && !hasConfirmedParkedChannel) return PatchListContent::noConfirmedParkedChannels;
  return PatchListContent::noSearchResults;
}

PatchEmptyState emptyPatchState(bool isLoadingPatch, bool isConsoleReachable) {
  return {isLoadingPatch ? u"arrow.triangle.2.circlepath"_s : u"lightbulb"_s,
          isLoadingPatch ? u"Loading Patch"_s : u"No Patch Loaded"_s,
          isConsoleReachable ? u"Pulling patch data from Eos."_s
                             : u"Connect to Eos to load patch data."_s};
}

QString parkCheckExplanation(bool isRefreshingParkedChannels, const QString &parkStatusMessage) {
  if (isRefreshingParkedChannels)
    return parkStatusMessage + u" Results will appear after Eos finishes the isolated check."_s;
  if (parkStatusMessage == u"Park status not checked"_s)
    return u"Park status has not been confirmed. Check Parked Channels before concluding that "
           u"nothing is parked."_s;
  // Most park results already end a sentence; a second full stop would read "..".
  static constexpr QStringView sentenceEnds = u".…!?";
  const bool endsSentence =
      !parkStatusMessage.isEmpty() && sentenceEnds.contains(parkStatusMessage.back());
  return parkStatusMessage + (endsSentence ? u" "_s : u". "_s) +
         u"Check Parked Channels to refresh the authoritative Eos result."_s;
}

QString syncButtonTitle(std::optional<double> lastDataRefresh, const QLocale &locale,
                        const QTimeZone &zone) {
  if (!lastDataRefresh) return u"Sync Now"_s;
  return u"Sync Now ("_s + shortTimeOfDayText(*lastDataRefresh, locale, zone) + u')';
}

bool isConfirmedParked(qint64 channelNumber, const std::map<int, FixtureControlState> &states) {
  if (channelNumber < std::numeric_limits<int>::min() ||
      channelNumber > std::numeric_limits<int>::max())
    return false;
  const auto state = states.find(int(channelNumber));
  return state != states.end() && state->second.parkState == FixtureParkState::parked();
}

bool hasConfirmedParkedChannel(const QList<Channel> &channels,
                               const std::map<int, FixtureControlState> &states) {
  return std::ranges::any_of(
      channels, [&](const Channel &channel) { return isConfirmedParked(channel.number, states); });
}

}  // namespace tarnik
