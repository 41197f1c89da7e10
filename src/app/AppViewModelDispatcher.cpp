#include "app/AppViewModel.h"
#include "app/ReplyArguments.h"
#include "foundation/NumberRules.h"
#include "operations/EosOSCAddress.h"

#include <variant>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// Screens that observe only the model redraw for connection changes at most this often.
constexpr double connectionChangeInterval = 0.1;

bool isString(const QList<OSCArgument> &arguments, qsizetype index) {
  return index < arguments.size() && std::holds_alternative<QString>(arguments[index].value);
}

AppViewModel::AddressComponents addressComponents(QStringView address) {
  // Walked by hand: every message of a sync is split, and the general tokenizer cost more
  // than the rest of a list reply's dispatch.
  AppViewModel::AddressComponents components;
  qsizetype start = 0;
  for (qsizetype end = 0; end <= address.size(); ++end) {
    if (end < address.size() && address[end] != u'/') continue;
    if (end > start) components.append(address.sliced(start, end - start));
    start = end + 1;
  }
  return components;
}

bool startsWith(const AppViewModel::AddressComponents &components,
                std::initializer_list<QLatin1StringView> prefix) {
  if (components.size() < qsizetype(prefix.size())) return false;
  qsizetype index = 0;
  for (const QLatin1StringView piece : prefix) {
    if (components[index++] != piece) return false;
  }
  return true;
}

}  // namespace

void AppViewModel::subscribeToConnectionReplies() {
  // Both connections die with the model (it is their context), so no handler outlives it.
  QObject::connect(oscManager_.get(), &OSCManager::objectWillChange, this,
                   &AppViewModel::forwardConnectionChange);
  QObject::connect(oscManager_.get(), &OSCManager::lastReceivedMessageChanged, this,
                   [this](const std::optional<OSCMessage> &message) {
                     if (message) handleOSCMessage(message->address, message->arguments);
                   });
}

void AppViewModel::forwardConnectionChange() {
  // The manager announces a change with every packet; the first of a burst is passed on at
  // once, the rest fold into one announcement when the window closes, so the last change
  // is never lost.
  if (connectionChangeWindow_) {
    connectionChangedInWindow_ = true;
    return;
  }
  announce();
  connectionChangeWindow_ = timing_->schedule(connectionChangeInterval, [this] {
    connectionChangeWindow_.cancel();
    if (std::exchange(connectionChangedInWindow_, false)) forwardConnectionChange();
  });
}

void AppViewModel::handleOSCMessage(const QString &address, const QList<OSCArgument> &arguments) {
  // The tests run in a fixed order and the first that claims the message ends the
  // dispatch. A message whose address matches but whose arguments have the wrong shape
  // falls through to the later tests; at the end anything unclaimed is dropped.
  const AddressComponents components = addressComponents(address);

  // List replies are nearly all a sync receives, so they are tested first. That changes no
  // outcome: no other test claims an address of their shape (four fixed components, "list"
  // in its place and at least nine components in all).
  // They are recognised by their components alone, so a reply with a missing or doubled
  // slash still reaches its handler, which checks the rest of the address. Outside a sync
  // they are single reads, which the mirror tells apart itself.
  if (components.size() >= 10 && startsWith(components, {"eos"_L1, "out"_L1, "get"_L1, "cue"_L1}) &&
      components[7] == "list"_L1) {
    mirror_->handleCueListReply(arguments, components);
    return;
  }
  if (components.size() >= 9 &&
      startsWith(components, {"eos"_L1, "out"_L1, "get"_L1, "patch"_L1}) &&
      components[6] == "list"_L1) {
    mirror_->handlePatchListReply(arguments, components);
    return;
  }

  // Parameter and emitter replies belong to the Live-control session's own connection.
  if (address.startsWith(EosOSCAddress::paramsReplyPrefix) ||
      address.startsWith(EosOSCAddress::emittersReplyPrefix)) {
    return;
  }
  if (address == EosOSCAddress::versionReply && isString(arguments, 0) && isString(arguments, 1)) {
    mirror_->handleVersions(std::get<QString>(arguments[0].value),
                            std::get<QString>(arguments[1].value));
    return;
  }
  if (address == EosOSCAddress::userReply) {
    if (const std::optional<qint64> user = integerArgument(arguments, 0)) {
      commandLine_->noteConsoleUser(*user);
      return;
    }
  }
  if (isCommandLineFeedback(components) && isString(arguments, 0)) {
    handleCommandLineText(std::get<QString>(arguments[0].value));
    return;
  }
  if (components.size() == 4 && startsWith(components, {"eos"_L1, "out"_L1, "softkey"_L1}) &&
      isString(arguments, 0)) {
    const std::optional<int> key = parseStrictInteger<int>(components[3]);
    if (key && commandLine_->handleSoftkey(*key, std::get<QString>(arguments[0].value))) return;
  }
  if (address == EosOSCAddress::activeCueText || address == EosOSCAddress::pendingCueText) {
    if (isString(arguments, 0))
      handleCueText(address == EosOSCAddress::pendingCueText,
                    std::get<QString>(arguments[0].value));
    return;
  }
  if (address.startsWith(EosOSCAddress::activeCuePrefix))
    return handleCueNumber(false, components, arguments);
  if (address.startsWith(EosOSCAddress::pendingCuePrefix))
    return handleCueNumber(true, components, arguments);
  if (address == EosOSCAddress::showNameReply && isString(arguments, 0)) {
    mirror_->handleShowName(std::get<QString>(arguments[0].value));
    return;
  }
  if (address == EosOSCAddress::showPathReply && isString(arguments, 0)) {
    handleShowPath(std::get<QString>(arguments[0].value));
    return;
  }
  if (address == EosOSCAddress::showCleared) return handleShowCleared();
  if (address == EosOSCAddress::showSaved && isString(arguments, 0)) {
    handleShowSaved(std::get<QString>(arguments[0].value));
    return;
  }
  if (address == EosOSCAddress::showLoaded && isString(arguments, 0)) {
    handleShowLoaded(std::get<QString>(arguments[0].value));
    return;
  }
  if (address == EosOSCAddress::cueCountReply) {
    if (const std::optional<qint64> count = integerArgument(arguments, 0)) {
      mirror_->handleCountReply(*count, false);
      return;
    }
  }
  if (address == EosOSCAddress::patchCountReply) {
    if (const std::optional<qint64> count = integerArgument(arguments, 0)) {
      mirror_->handleCountReply(*count, true);
      return;
    }
  }
  if (address.startsWith(EosOSCAddress::cueNotificationPrefix))
    return handleChangeNotification(false);
  if (address.startsWith(EosOSCAddress::patchNotificationPrefix))
    return handleChangeNotification(true);
}

}  // namespace tarnik
