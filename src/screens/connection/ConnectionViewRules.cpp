#include "screens/connection/ConnectionViewRules.h"

#include "link/TarnikRelaySecurity.h"
#include "screens/kit/LocaleTexts.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A message the model may hold blank: blank is no message, and its row stays hidden.
std::optional<QString> shownMessage(const std::optional<QString> &message) {
  if (message && !message->isEmpty()) {
    return message;
  }
  return std::nullopt;
}

}  // namespace

QString managerSocketText(bool isConnected, const QString &stateDescription) {
  // The manager's own words when it is not ready, even an empty text: the status row and the
  // diagnostics are where one looks for exactly what it said.
  return isConnected ? u"Ready"_s : stateDescription;
}

ConnectionStatusRows connectionStatusRows(const ConnectionPageInput &page, const QLocale &locale) {
  ConnectionStatusRows rows{
      .managerSocket = managerSocketText(page.managerConnected, page.managerStateDescription),
      .eosResponse = page.consoleReachable ? u"Fresh"_s : u"Not confirmed"_s,
      .configuration = page.transportDescription,
      .lastEosResponse = std::nullopt};
  if (page.lastEosResponse) {
    rows.lastEosResponse = timeOfDayText(*page.lastEosResponse, locale);
  }
  return rows;
}

SavedConnections savedConnections(const ConnectionPageInput &page) {
  SavedConnections saved;
  for (const ConsoleConnectionProfile &profile : page.savedProfiles) {
    saved.rows.append({.title = profile.name,
                       .detail = profile.host + u':' + QString::number(profile.destinationPort),
                       .selected = page.selectedProfileID == profile.id});
  }
  if (saved.rows.isEmpty()) {
    saved.emptyText = u"No saved connections"_s;
  }
  saved.storageError = shownMessage(page.profileStorageError);
  if (const std::optional<SettingsFileFailure> &failure = page.settingsFileFailure) {
    const QString triedAgain =
        u". Tarnik tries again; changes not yet saved are lost if Tarnik quits first."_s;
    switch (failure->step) {
      case SettingsFileFailure::Step::read:
        saved.settingsFileError =
            u"Settings could not be read: "_s + failure->reason +
            u". Tarnik leaves the file as it is. Once it can read it, connections saved "
            u"meanwhile are added and other changes dropped; quitting first loses them."_s;
        break;
      case SettingsFileFailure::Step::readAgain:
        saved.settingsFileError = u"Settings could not be read: "_s + failure->reason + triedAgain;
        break;
      case SettingsFileFailure::Step::write:
        saved.settingsFileError = u"Settings could not be saved: "_s + failure->reason + triedAgain;
    }
  }
  // Saving replaces the selected profile only while the list holds it; a selection stored
  // for a profile that is gone saves a new one, and the button says so.
  const bool updates = std::ranges::any_of(saved.rows, &SavedConnectionRow::selected);
  saved.saveButtonTitle = updates ? u"Update Selected Connection"_s : u"Save Connection"_s;
  return saved;
}

ConnectionRoute connectionRoute(const ConnectionPageInput &page) {
  return {.relayDetailsShown = page.usesMacRelay,
          .nearbyMacsEnabled = TarnikRelaySecurity::parameters(page.relayPairingCode).has_value()};
}

ConnectionSettings connectionSettings(const ConnectionPageInput &page) {
  const bool isUDP = page.transport == OSCTransport::udp;
  return {.destinationPortTitle =
              isUDP ? u"Destination Port (Console RX)"_s : u"TCP Port (Console RX)"_s,
          .destinationPortPlaceholder = isUDP ? u"8000"_s : u"3032"_s,
          .listenPortShown = isUDP,
          .framingShown = !isUDP,
          .validationError = shownMessage(page.settingsIssue),
          .footer = isUDP
                        ? u"Destination sends to Console RX; listen receives Console TX. The shown "
                          u"port values are editable starting points, not verified venue "
                          u"settings."_s
                        : u"The port is the console's OSC RX destination. Match the framing "
                          u"configured in Eos."_s};
}

ConnectionTest connectionTest(const ConnectionPageInput &page) {
  // A row without a value is absent, an empty text as much as none.
  return {.buttonEnabled = !page.testingConnection,
          .busyShown = page.testingConnection,
          .result = shownMessage(page.testStatus),
          .identity = shownMessage(page.testIdentity),
          .version = shownMessage(page.testVersion)};
}

bool disconnectEnabled(const ConnectionPageInput &page) { return page.wantsConnection; }

NearbyServices nearbyServices(const ConnectionPageInput &page) {
  NearbyServices services{.emptyText = std::nullopt,
                          .rowCaption = u"OSC advertisement — Eos unverified"_s};
  if (!page.hasNearbyServices) {
    services.emptyText = u"No OSC services are currently advertised."_s;
  }
  return services;
}

}  // namespace tarnik
