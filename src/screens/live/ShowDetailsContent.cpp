#include "screens/live/ShowDetailsContent.h"

#include <QCoreApplication>

namespace tarnik {

namespace {

QString translated(const char *text) {
  return QCoreApplication::translate("LiveShowDetailsView", text);
}

QString trimmedOr(const QString &text, const char *fallback) {
  const QString trimmed = text.trimmed();
  return trimmed.isEmpty() ? translated(fallback) : trimmed;
}

QString connectionText(const ShowDetailsInput &input) {
  // No connecting state here: what is not answering is offline.
  if (input.isConsoleReachable) return translated("Eos responsive");
  if (input.isTransportConnected) return translated("Waiting for Eos response");
  return translated("Offline");
}

QString syncText(const ShowDetailsInput &input) {
  if (input.isConsoleReachable) return input.dataStatusMessage;
  if (input.cueCount > 0 || input.channelCount > 0) return translated("Offline — cached snapshot");
  return translated("Offline — no cached show data");
}

}  // namespace

ShowDetailsContent showDetailsContent(const ShowDetailsInput &input) {
  ShowDetailsContent content;
  content.currentShow = {
      {QStringLiteral("show"), translated("Show"), trimmedOr(input.showFileName, "No show loaded")},
      {QStringLiteral("console"), translated("Console"),
       trimmedOr(input.consoleName, "No console selected")},
      {QStringLiteral("consoleAddress"), translated("Console address"),
       trimmedOr(input.consoleIP, "Not configured")},
  };
  // Counts in plain digits: a locale's grouping would make 12000 read as a version.
  content.loadedData = {
      {QStringLiteral("connection"), translated("Connection"), connectionText(input)},
      {QStringLiteral("cues"), translated("Cues"), QString::number(input.cueCount)},
      {QStringLiteral("patchedChannels"), translated("Patched channels"),
       QString::number(input.channelCount)},
      {QStringLiteral("sync"), translated("Sync"), syncText(input)},
  };
  if (input.lastRefreshText) {
    content.loadedData.append(
        {QStringLiteral("lastRefresh"), translated("Last refresh"), *input.lastRefreshText});
  }
  content.note =
      (input.isConsoleReachable ? translated("Tarnik is showing the console-reported show.")
                                : translated("Tarnik is showing the last cached show snapshot.")) +
      translated(" Show switching is not available in this version.");
  return content;
}

}  // namespace tarnik
