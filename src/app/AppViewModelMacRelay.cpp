#include "app/AppViewModel.h"
#include "foundation/StrictBase64.h"
#include "foundation/TextRules.h"
#include "link/TarnikRelayServer.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

const QString relayServiceType = u"_tarnik-relay._tcp"_s;
constexpr int pairingCodeByteCount = 32;

}  // namespace

void AppViewModel::connectToMacRelay(const TarnikRelayDiscovery::Relay &relay) {
  // One pairing at a time: the first press goes on when the keychain answers.
  if (connectionForm_->isStoringRelayKey()) return;
  const QString code = trimmedText(relayPairingCode());
  const std::optional<QByteArray> key = decodeStrictBase64(code);
  if (!key || key->size() != pairingCodeByteCount) {
    mirror_->reportStatus(u"Paste the Mac pairing code before connecting."_s);
    return;
  }
  const auto *service = std::get_if<OSCEndpoint::Service>(&relay.endpoint.value);
  if (!service || service->type != relayServiceType) {
    mirror_->reportStatus(u"Select a nearby Tarnik Mac relay."_s);
    return;
  }

  // The same Mac keeps one profile, and so one keychain entry, however often it is paired.
  const RelayServiceIdentity identity{service->name, service->type, service->domain};
  const QList<ConsoleConnectionProfile> &saved = savedConnectionProfiles();
  const auto known = std::ranges::find_if(saved, [&](const auto &profile) {
    return profile.relayService && profile.relayService->name == identity.name &&
           profile.relayService->type == identity.type &&
           profile.relayService->domain == identity.domain;
  });
  ConsoleConnectionProfile profile;
  profile.id = known != saved.cend() ? known->id : QUuid::createUuid();
  profile.name = relay.name;
  profile.host = u"nearby"_s;
  profile.transport = OSCTransport::tcp;
  profile.destinationPort = TarnikRelayServer::standardPort;
  profile.udpListenPort = 8001;
  profile.tcpFraming = tcpFraming();
  profile.usesMacRelay = true;
  profile.relayService = identity;

  connectionForm_->storeRelayKey(
      code, profile.id, [this, relay, profile, code](const auto &stored) {
        if (!stored) {
          mirror_->reportStatus(u"Could not pair with this Mac: "_s + stored.error().description());
          return;
        }

        resetConnectionTest();
        releaseOwnedFlash(u"Connect to Mac"_s);
        supervisor_->stopReconnecting();
        resetSessionState(u"Connecting through "_s + relay.name + u"…"_s);

        connectionForm_->storeSelectedProfile(profile);
        applyConnectionProfile(profile);
        connectionForm_->rememberLastConnected(profile);
        supervisor_->followService(relay.endpoint, profile, code);
      });
}

}  // namespace tarnik
