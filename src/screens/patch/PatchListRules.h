#pragma once

#include "model/Channel.h"
#include "operations/FixtureControlState.h"

#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <map>
#include <optional>

namespace tarnik {

// What the patch list decides from the model's state, apart from the widgets that show it.

// Why the list's data may not be current, shown in a banner above it.
struct PatchBannerContent {
  enum class Kind { attention, syncing, offline };
  Kind kind = Kind::attention;
  QString text;  // the status text, for attention only

  friend bool operator==(const PatchBannerContent &, const PatchBannerContent &) = default;
};

// No banner for an empty patch (its empty state speaks instead); then syncing, offline,
// and the trimmed status text unless it is empty or exactly "Synced".
std::optional<PatchBannerContent> patchBannerContent(bool hasChannels, bool isLoadingPatch,
                                                     bool isConsoleReachable,
                                                     const QString &dataStatusMessage);

// What fills the list, by the first rule that applies.
enum class PatchListContent { emptyPatch, noConfirmedParkedChannels, noSearchResults, rows };
PatchListContent patchListContent(bool hasChannels, bool hasVisibleChannels, bool parkedOnly,
                                  bool hasConfirmedParkedChannel);

// The empty patch's symbol, title and description: loading or not, reachable or not.
struct PatchEmptyState {
  QString symbolName;
  QString title;
  QString description;
};
PatchEmptyState emptyPatchState(bool isLoadingPatch, bool isConsoleReachable);

// The explanation under "No Confirmed Parked Channels".
QString parkCheckExplanation(bool isRefreshingParkedChannels, const QString &parkStatusMessage);

// "Sync Now", with the hour and minute of the last refresh in parentheses once there was
// one. The date is in seconds since 2001-01-01 00:00:00 UTC.
QString syncButtonTitle(std::optional<double> lastDataRefresh, const QLocale &locale,
                        const QTimeZone &zone);

// Only a park state the console confirmed counts; pending, sent and unknown ones do not.
bool isConfirmedParked(qint64 channelNumber, const std::map<int, FixtureControlState> &states);
bool hasConfirmedParkedChannel(const QList<Channel> &channels,
                               const std::map<int, FixtureControlState> &states);

}  // namespace tarnik
