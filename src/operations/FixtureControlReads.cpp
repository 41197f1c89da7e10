#include "foundation/TextRules.h"
#include "operations/EosOSCAddress.h"
#include "operations/FixtureControlStore.h"

#include <utility>

namespace tarnik {

namespace {

const QString *stringArgument(const OSCArgument &argument) {
  return std::get_if<QString>(&argument.value);
}

// A trimmed text fit for the screens and for an address: not empty, no control character.
std::optional<QString> cleanText(const OSCArgument &argument) {
  const QString *text = stringArgument(argument);
  if (!text) return std::nullopt;
  QString trimmed = trimmedText(*text);
  if (trimmed.isEmpty() || containsControlCharacter(trimmed)) return std::nullopt;
  return trimmed;
}

}  // namespace

QString FixtureControlStore::escapedParameterName(const QString &name) {
  QString escaped = trimmedText(name);
  escaped.replace(u'/', u'\\');
  for (QChar &character : escaped)
    if (character.isSpace()) character = u'_';
  return escaped;
}

bool FixtureControlStore::requestParameters(int channel) {
  // A read now would race the write still settling; it follows once that is confirmed.
  if (hasPendingValues(channel)) {
    needsLatestReadback_.insert(channel);
    return true;
  }
  return sendQuery(channel, std::nullopt);
}

bool FixtureControlStore::sendQuery(int channel, std::optional<int> confirmationGeneration) {
  if (!EosOSCAddress::isChannel(channel) || !hasActiveSession()) return false;
  if (!statesByChannel_.contains(channel)) storeState(FixtureControlState::empty(channel));
  // Any send may reset the session from inside it (the owner does so when the Live session
  // fails): nothing of this channel may be asked for or recorded after that.
  const std::optional<QUuid> sessionID = sessionID_;
  const QString showIdentity = *showIdentity_;
  bool result = true;
  if (stateOrEmpty(channel).hasAdjustableColorEmitters()) {
    const bool colorRequested = requestColorRead(channel);
    if (!sameSession(sessionID, showIdentity)) return false;
    if (!confirmationGeneration) result = colorRequested;
  }
  for (const RequestKind kind : {RequestKind::parameters, RequestKind::emitters}) {
    const RequestKey key{channel, kind};
    // The answer already awaited serves this request too.
    if (requestsInFlight_.contains(key)) continue;
    requestsInFlight_.insert(key);
    if (confirmationGeneration && parameterConfirmationGenerations_.contains(channel) &&
        parameterConfirmationGenerations_[channel] == *confirmationGeneration)
      confirmationGenerationByRequest_[key] = *confirmationGeneration;
    setReadState(FixtureControlReadState::loading, kind, channel);
    armReadTimeout(key);
    const OSCMessage query{EosOSCAddress::paramsQuery(kind == RequestKind::parameters
                                                          ? EosOSCAddress::ParamsKind::parameters
                                                          : EosOSCAddress::ParamsKind::emitters,
                                                      channel),
                           {}};
    const bool sent = closures_.querySender && closures_.querySender(query);
    if (!sameSession(sessionID, showIdentity)) return false;
    if (sent) continue;
    requestsInFlight_.erase(key);
    confirmationGenerationByRequest_.erase(key);
    cancelReadTimeout(key);
    setReadState(FixtureControlReadState::failed, kind, channel);
    abandonConfirmation(channel, confirmationGeneration);
    result = false;
  }
  return result;
}

void FixtureControlStore::setReadState(FixtureControlReadState readState, RequestKind kind,
                                       int channel) {
  FixtureControlState changed = stateOrEmpty(channel);
  (kind == RequestKind::parameters ? changed.parameterReadState : changed.emitterReadState) =
      readState;
  storeState(std::move(changed));
}

void FixtureControlStore::armReadTimeout(RequestKey key) {
  if (!sessionID_ || !showIdentity_) return;
  cancelReadTimeout(key);
  const std::optional<QUuid> sessionID = sessionID_;
  const QString showIdentity = *showIdentity_;
  readTimeoutActions_[key] = timeoutScheduler_->schedule(
      readTimeout_, timerAction([sessionID, showIdentity, key](FixtureControlStore &store) {
        if (store.sameSession(sessionID, showIdentity)) store.handleReadTimeout(key);
      }));
}

void FixtureControlStore::cancelReadTimeout(RequestKey key) {
  const auto found = readTimeoutActions_.find(key);
  if (found == readTimeoutActions_.end()) return;
  Action action = std::move(found->second);
  readTimeoutActions_.erase(found);
  retire(std::move(action));
}

void FixtureControlStore::handleReadTimeout(RequestKey key) {
  if (!requestsInFlight_.contains(key)) return;
  // One unanswered query ends fixture control until the next session: the console or the
  // Live session is no longer answering, and nothing read so far can be trusted to stay.
  resetSession();
  if (closures_.onReadTimeout) closures_.onReadTimeout(key.channel);
}

bool FixtureControlStore::anyRequestInFlight(int channel) const {
  return requestsInFlight_.contains({channel, RequestKind::parameters}) ||
         requestsInFlight_.contains({channel, RequestKind::emitters});
}

void FixtureControlStore::handleMessage(const OSCMessage &message) {
  if (!hasActiveSession()) return;
  const std::optional<RequestKey> key = replyKey(message);
  // Only an awaited reply counts: duplicates and answers of an older session change nothing.
  if (!key || requestsInFlight_.erase(*key) == 0) return;
  const int channel = key->channel;
  std::optional<int> generation;
  if (const auto found = confirmationGenerationByRequest_.find(*key);
      found != confirmationGenerationByRequest_.end()) {
    generation = found->second;
    confirmationGenerationByRequest_.erase(found);
  }
  cancelReadTimeout(*key);
  const bool parameters = key->kind == RequestKind::parameters;
  const std::optional<Reply> reply =
      parseReplyArguments(message.arguments, parameters ? FixtureParameterSource::parameters
                                                        : FixtureParameterSource::emitters);
  if (reply && replyMatchesFixture(channel, *reply)) {
    FixtureControlState changed = stateOrEmpty(channel);
    changed.manufacturer = reply->manufacturer;
    changed.model = reply->model;
    (parameters ? changed.parameters : changed.emitters) = reply->parameters;
    // Lists read while written values wait for their confirmation stay provisional.
    (parameters ? changed.parameterReadState : changed.emitterReadState) =
        changed.pendingParameterValues.empty() ? FixtureControlReadState::loaded
                                               : FixtureControlReadState::loading;
    const bool firstColorRead = !parameters && changed.hasAdjustableColorEmitters() &&
                                changed.colorReadState == FixtureControlReadState::unknown;
    storeState(std::move(changed));
    if (firstColorRead) requestColorRead(channel);
    recordConfirmation(channel, key->kind, generation);
  } else {
    setReadState(FixtureControlReadState::failed, key->kind, channel);
    if (!hasPendingValues(channel)) needsLatestReadback_.erase(channel);
    abandonConfirmation(channel, generation);
  }
  serviceLatestReadback(channel);
}

void FixtureControlStore::serviceLatestReadback(int channel) {
  if (anyRequestInFlight(channel) || !needsLatestReadback_.contains(channel) ||
      parameterSettleActions_.contains(channel))
    return;
  needsLatestReadback_.erase(channel);
  const auto generation = parameterMutationGenerations_.find(channel);
  if (hasPendingValues(channel) && generation != parameterMutationGenerations_.end())
    startConfirmationRead(channel, generation->second);
  else
    sendQuery(channel, std::nullopt);
}

void FixtureControlStore::requestLatestReadback(int channel) {
  if (channel < 1 || !hasActiveSession()) return;
  if (hasPendingValues(channel) || anyRequestInFlight(channel)) {
    needsLatestReadback_.insert(channel);
    if (stateOrEmpty(channel).hasAdjustableColorEmitters()) requestColorRead(channel);
    return;
  }
  requestParameters(channel);
}

bool FixtureControlStore::replyMatchesFixture(int channel, const Reply &reply) const {
  const std::optional<FixtureControlState> known = state(channel);
  if (!known) return true;
  return (known->manufacturer.isEmpty() || known->manufacturer == reply.manufacturer) &&
         (known->model.isEmpty() || known->model == reply.model);
}

std::optional<FixtureControlStore::RequestKey> FixtureControlStore::replyKey(
    const OSCMessage &message) {
  const auto address = EosOSCAddress::parseParamsReply(message, EosOSCAddress::ParamsForm::reply);
  if (!address) return std::nullopt;
  return RequestKey{address->channel, address->kind == EosOSCAddress::ParamsKind::parameters
                                          ? RequestKind::parameters
                                          : RequestKind::emitters};
}

std::optional<FixtureControlStore::Reply> FixtureControlStore::parseReplyArguments(
    const QList<OSCArgument> &arguments, FixtureParameterSource source) {
  if (arguments.size() < 2 || arguments.size() % 4 != 2) return std::nullopt;
  const std::optional<QString> manufacturer = cleanText(arguments[0]);
  const std::optional<QString> model = cleanText(arguments[1]);
  if (!manufacturer || !model) return std::nullopt;
  Reply reply{*manufacturer, *model, {}};
  std::set<QString> keys;
  for (qsizetype index = 2; index < arguments.size(); index += 4) {
    const std::optional<QString> name = cleanText(arguments[index]);
    const std::optional<double> value = EosOSCAddress::finiteFloatWithin(arguments[index + 1]);
    const std::optional<double> minimum = EosOSCAddress::finiteFloatWithin(arguments[index + 2]);
    const std::optional<double> maximum = EosOSCAddress::finiteFloatWithin(arguments[index + 3]);
    if (!name || !value || !minimum || !maximum) return std::nullopt;
    // Two names that would reach the same address leave no way to tell which one to write.
    if (!keys.insert(escapedParameterName(*name).toLower()).second) return std::nullopt;
    reply.parameters.push_back({*name, *value, *minimum, *maximum, source});
  }
  return reply;
}

}  // namespace tarnik
