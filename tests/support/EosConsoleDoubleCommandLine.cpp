// The double's console users, command lines, park and fixture parameters.

#include "foundation/NumberRules.h"
#include "support/EosConsoleDouble.h"

#include <QRegularExpression>

#include <cmath>

namespace tarnik::testing {

namespace {

OSCArgument text(const QString &value) { return OSCArgument::fromString(value); }

std::optional<qint32> intArgument(const OSCMessage &message, qsizetype index) {
  if (message.arguments.size() <= index) return std::nullopt;
  const auto *value = std::get_if<qint32>(&message.arguments[index].value);
  return value ? std::optional(*value) : std::nullopt;
}

std::optional<float> floatArgument(const OSCMessage &message, qsizetype index) {
  if (message.arguments.size() <= index) return std::nullopt;
  const auto *value = std::get_if<float>(&message.arguments[index].value);
  return value ? std::optional(*value) : std::nullopt;
}

// A channel number written as the console writes it: 1 to 999999, no sign or leading zero.
std::optional<int> channelNumber(const QString &digits) {
  const auto number = parseStrictInteger<int>(digits);
  if (!number || *number < 1 || *number > 999999 || QString::number(*number) != digits)
    return std::nullopt;
  return number;
}

// "1-3, 5": runs of two or more channels as a range.
QString selectionText(const std::set<int> &channels) {
  QStringList items;
  for (auto it = channels.begin(); it != channels.end();) {
    int last = *it;
    auto next = std::next(it);
    while (next != channels.end() && *next == last + 1) last = *next++;
    items.append(last == *it ? QString::number(*it) : QStringLiteral("%1-%2").arg(*it).arg(last));
    it = next;
  }
  return items.join(QStringLiteral(", "));
}

// The console matches parameter names by this key, so "Pan Tilt" and "pan_tilt" are one.
QString parameterKey(QString name) {
  return name.trimmed().replace(u'/', u'\\').replace(u' ', u'_').toLower();
}

QString withoutEnter(const QString &typed) {
  return typed.endsWith(QLatin1String(" Enter")) ? typed.chopped(6) : typed;
}

}  // namespace

void EosConsoleDouble::registerCommandLineAnswers() {
  setHandler(QStringLiteral("/eos/subscribe"), [this](const OSCMessage &request, Asker &asker) {
    asker.setSubscribed(intArgument(request, 0).value_or(1) != 0);
    QList<OSCMessage> answer{
        {QStringLiteral("/eos/out/user"), {OSCArgument::fromInt(asker.user())}}};
    if (!showName.isEmpty())
      answer.append({QStringLiteral("/eos/out/show/name"), {text(showName)}});
    return answer;
  });
  setHandler(QStringLiteral("/eos/user"), [](const OSCMessage &request, Asker &asker) {
    const auto user = intArgument(request, 0);
    if (!user) return QList<OSCMessage>{};
    asker.setUser(*user);
    return QList<OSCMessage>{{QStringLiteral("/eos/out/user"), {OSCArgument::fromInt(*user)}}};
  });
  setHandler(QStringLiteral("/eos/user/auto"), [this](const OSCMessage &, Asker &asker) {
    asker.setUser(firstAutoUser + autoUsersGiven_++);
    return QList<OSCMessage>{
        {QStringLiteral("/eos/out/user"), {OSCArgument::fromInt(asker.user())}}};
  });
  setHandler(QStringLiteral("/eos/newcmd"), [this](const OSCMessage &request, Asker &asker) {
    const auto *typed =
        request.arguments.size() == 1 ? std::get_if<QString>(&request.arguments[0].value) : nullptr;
    if (typed) typeLine(*typed, asker);
    return QList<OSCMessage>{};
  });
  for (const char *key : {"/eos/key/clear_cmd", "/eos/key/flash"}) {
    setHandler(QString::fromLatin1(key), [this](const OSCMessage &request, Asker &asker) {
      pressKey(request.address, asker);
      return QList<OSCMessage>{};
    });
  }
  setHandler(QStringLiteral("/eos/get/show/path"), [this](const OSCMessage &) {
    return QList<OSCMessage>{{QStringLiteral("/eos/out/get/show/path"), {text(showPath)}}};
  });
  setHandler(QStringLiteral("/eos/get/chans"), [this](const OSCMessage &, Asker &asker) {
    const std::set<int> selection = selections.value(asker.user());
    OSCMessage answer{QStringLiteral("/eos/out/get/chans"), {}};
    if (!selection.empty()) answer.arguments.append(text(selectionText(selection)));
    return QList<OSCMessage>{answer};
  });
}

QList<OSCMessage> EosConsoleDouble::routedAnswer(const OSCMessage &request, Asker &asker) {
  const QStringList components = request.address.split(u'/');
  if (components.size() < 3 || !components[0].isEmpty() || components[1] != u"eos") return {};
  if (components[2] == u"get") {
    if (components.size() == 5 && (components[3] == u"params" || components[3] == u"emitters")) {
      return fixtureAnswer(request, components);
    }
    return showAnswer(request, components, asker);
  }
  if (components[2] == u"chan") {
    fixtureAnswer(request, components);
    return {};
  }
  if (components.size() == 6 && components[2] == u"set" && components[3] == u"patch" &&
      components[5] == u"label" && request.arguments.size() == 1) {
    const auto channel = channelNumber(components[4]);
    const auto *label = std::get_if<QString>(&request.arguments[0].value);
    if (!channel || !label || show_.channelParts(*channel).isEmpty()) return {};
    for (const ConsolePatchPart &part : show_.channelParts(*channel)) {
      show_.patchPart(*channel, part.part)->setText(ConsolePatchPart::label, *label);
    }
    encodedShow_.patch.reset();
    notify(QStringLiteral("/eos/out/notify/patch"), {OSCArgument::fromInt(*channel)}, &asker);
  }
  return {};
}

QList<OSCMessage> EosConsoleDouble::fixtureAnswer(const OSCMessage &request,
                                                  const QStringList &components) {
  if (components[2] == u"get") {
    const auto channel = channelNumber(components[4]);
    if (!channel || !fixtures.contains(*channel) || !request.arguments.isEmpty()) return {};
    const FixtureChannel &fixture = fixtures[*channel];
    const bool emitters = components[3] == u"emitters";
    OSCMessage answer{QStringLiteral("/eos/out/get/%1/%2").arg(components[3]).arg(*channel),
                      {text(fixture.manufacturer), text(fixture.model)}};
    for (const FixtureParameter &p : emitters ? fixture.emitters : fixture.parameters) {
      answer.arguments += {text(p.name), OSCArgument::fromFloat(p.value),
                           OSCArgument::fromFloat(p.minimum), OSCArgument::fromFloat(p.maximum)};
    }
    return {answer};
  }
  // "/eos/chan/<n>/param/<name>" (one float) and "/eos/chan/<n>/color/hs" (two floats).
  const auto channel = components.size() == 6 ? channelNumber(components[3]) : std::nullopt;
  if (!channel || !fixtures.contains(*channel)) return {};
  FixtureChannel &fixture = fixtures[*channel];
  if (components[4] == u"param" && request.arguments.size() == 1 && floatArgument(request, 0)) {
    const QString key = parameterKey(components[5]);
    for (auto *list : {&fixture.parameters, &fixture.emitters}) {
      for (FixtureParameter &p : *list) {
        if (parameterKey(p.name) == key && fixture.writtenShare > 0)
          p.value = *floatArgument(request, 0) * fixture.writtenShare;
      }
    }
  } else if (components[4] == u"color" && components[5] == u"hs" && request.arguments.size() == 2 &&
             floatArgument(request, 0) && floatArgument(request, 1)) {
    fixture.hue = *floatArgument(request, 0);
    fixture.saturation = *floatArgument(request, 1);
  }
  return {};
}

EosConsoleDouble::Echo EosConsoleDouble::liveEcho(const QString &body, int status) const {
  QString line =
      activeCue ? QStringLiteral("LIVE: Cue %1 :").arg(*activeCue) : QStringLiteral("LIVE:");
  if (!body.isEmpty()) line += u' ' + body;
  return {line, status};
}

void EosConsoleDouble::typeLine(const QString &typed, Asker &asker) {
  static const QRegularExpression park(
      QRegularExpression::anchoredPattern(R"(Chan (\d+) At Park Enter( Enter)?)"));
  static const QRegularExpression select(
      QRegularExpression::anchoredPattern(R"(Chan (\d+) Enter)"));
  static const QRegularExpression flash(QRegularExpression::anchoredPattern(R"(Chan (\d+) Flash)"));

  const int user = asker.user();
  const Mode mode = modeOf(user);
  const Echo intermediate = mode == Mode::patch
                                ? Echo{QStringLiteral("Patch Channel: ") + withoutEnter(typed), 0}
                                : liveEcho(withoutEnter(typed));
  const Echo refused{typed + QStringLiteral(" #"), 1};
  QList<Echo> echoes;
  QList<OSCMessage> toTypist;
  QList<OSCArgument> changedChannels;
  std::optional<int> channel;
  if (typed == u"Live Enter") {
    modes[user] = Mode::live;
    echoes = {liveEcho(QStringLiteral("Live #"))};
  } else if (typed == u"Patch Enter") {
    modes[user] = Mode::patch;
    echoes = {{QStringLiteral("Patch Channel: #"), 0}};
  } else if (mode == Mode::patch) {
    if (const auto changed = applyPatchLine(show_, typed, footprints)) {
      echoes = {
          {QStringLiteral("Patch Channel: ") + withoutEnter(typed) + QStringLiteral(" #"), 0}};
      encodedShow_.patch.reset();
      for (int c : *changed) changedChannels.append(OSCArgument::fromInt(c));
    } else {
      echoes = {refused};
    }
  } else if (typed == u"Query Park Enter") {
    selections[user] = parkedChannels;
    echoes = {parkedChannels.empty()
                  ? liveEcho(QStringLiteral("Query Park : Channel List is Empty#"), 1)
                  : liveEcho(QStringLiteral("Query Park #"))};
  } else if (const auto m = park.match(typed);
             m.hasMatch() && (channel = channelNumber(m.captured(1)))) {
    if (m.hasCaptured(2)) {
      parkedChannels.erase(*channel);
    } else {
      parkedChannels.insert(*channel);
    }
    echoes = {liveEcho(QStringLiteral("Chan %1 @ Park #").arg(*channel))};
  } else if (const auto m = select.match(typed);
             m.hasMatch() && (channel = channelNumber(m.captured(1)))) {
    selections[user] = {*channel};
    echoes = {liveEcho(QStringLiteral("Chan %1 #").arg(*channel))};
    const FixtureChannel fixture = fixtures.value(*channel);
    int level = 0;
    for (const FixtureParameter &p : fixture.parameters) {
      if (parameterKey(p.name) == u"intensity") level = int(std::lround(p.value));
    }
    toTypist = {
        {QStringLiteral("/eos/out/active/chan"),
         {text(QStringLiteral("%1 [%2] %3").arg(*channel).arg(level).arg(fixture.model))}},
        {QStringLiteral("/eos/out/color/hs"),
         {OSCArgument::fromFloat(fixture.hue), OSCArgument::fromFloat(fixture.saturation)}}};
  } else if (const auto m = flash.match(typed);
             m.hasMatch() && (channel = channelNumber(m.captured(1)))) {
    flashes[user] = *channel;
    echoes = {liveEcho(QStringLiteral("Chan %1 Flash #").arg(*channel))};
  } else if (typed.endsWith(QLatin1String(" Enter"))) {
    echoes = {liveEcho(withoutEnter(typed) + QStringLiteral(" #"))};
  } else {
    echoes = {refused};
  }
  if (intermediateEchoes) echoes.prepend(intermediate);
  sendEchoes(user, typed, echoes, asker);
  asker.sendToUser(user, toTypist);
  if (!changedChannels.isEmpty())
    notify(QStringLiteral("/eos/out/notify/patch"), changedChannels, &asker);
}

void EosConsoleDouble::pressKey(const QString &key, Asker &asker) {
  const int user = asker.user();
  QList<Echo> echoes;
  if (key == u"/eos/key/clear_cmd") {
    echoes = {modeOf(user) == Mode::patch ? Echo{QStringLiteral("Patch Channel:"), 0}
                                          : liveEcho(QString())};
  } else if (flashes.contains(user)) {  // the flash key releases the held flash
    echoes = {liveEcho(QStringLiteral("Chan %1 #").arg(flashes.take(user)))};
  }
  sendEchoes(user, key, echoes, asker);
}

void EosConsoleDouble::sendEchoes(int user, const QString &typed, QList<Echo> echoes,
                                  Asker &asker) {
  if (const auto override = echoOverrides.constFind(typed); override != echoOverrides.constEnd())
    echoes = *override;
  for (const Echo &echo : echoes) {
    for (int copy = duplicateEchoes ? 2 : 1; copy > 0; --copy) sendLine(user, echo, &asker);
  }
}

void EosConsoleDouble::sendLine(int user, const Echo &echo, Asker *asker) {
  commandLines[user] = echo;
  const QList<OSCMessage> everyone{{QStringLiteral("/eos/out/user/%1/cmd").arg(user),
                                    {text(echo.text), OSCArgument::fromInt(echo.status)}}};
  const QList<OSCMessage> own{{QStringLiteral("/eos/out/cmd"), {text(echo.text)}}};
  if (asker) {
    asker->sendToEveryone(everyone);
    asker->sendToUser(user, own);
    return;
  }
  for (Connection *connection : connections()) {
    deliver(*connection, encoded(everyone), std::chrono::milliseconds(0));
    if (connection->user == user) deliver(*connection, encoded(own), std::chrono::milliseconds(0));
  }
}

void EosConsoleDouble::pushCommandLine(int user, const QString &line, int status) {
  sendLine(user, {line, status}, nullptr);
}

}  // namespace tarnik::testing
