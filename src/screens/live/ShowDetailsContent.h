#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// What the show details sheet reads of the model, taken at one redraw.
struct ShowDetailsInput {
  QString showFileName{};
  QString consoleName{};
  QString consoleIP{};
  bool isConsoleReachable = false;
  bool isTransportConnected = false;
  qsizetype cueCount = 0;
  qsizetype channelCount = 0;
  QString dataStatusMessage{};
  // The last completed sync's time as the user's locale writes it; none before the first.
  std::optional<QString> lastRefreshText{};
};

// One labelled row: its name for tests ("sync" for live.showDetails.sync), its title and its
// value, shown verbatim.
struct ShowDetailsRow {
  QString name;
  QString title;
  QString value;
  friend bool operator==(const ShowDetailsRow &, const ShowDetailsRow &) = default;
};

// Which show and console the page's data belong to, how much is loaded, how current it is
// and where it comes from.
struct ShowDetailsContent {
  QList<ShowDetailsRow> currentShow;  // "Show", "Console", "Console address"
  QList<ShowDetailsRow>
      loadedData;  // "Connection", "Cues", "Patched channels", "Sync", "Last refresh"
  QString note;
};

ShowDetailsContent showDetailsContent(const ShowDetailsInput &input);

}  // namespace tarnik
