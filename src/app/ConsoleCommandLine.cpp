#include "app/ConsoleCommandLine.h"

#include "app/CueReplyFields.h"
#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <QRegularExpression>

#include <cmath>
#include <variant>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A repeat of the same command line within this many seconds is the console echoing
// itself, not a new line for the history.
constexpr double consoleHistoryRepeatWindow = 0.25;

struct ModePrefix {
  QLatin1StringView prefix;
  QLatin1StringView label;
};
constexpr ModePrefix modePrefixes[] = {
    {"LIVE:"_L1, "LIVE"_L1},
    {"BLIND:"_L1, "BLIND"_L1},
    {"PATCH:"_L1, "PATCH"_L1},
    {"Patch Channel:"_L1, "PATCH"_L1},
};

// A cue's time as the console writes it after the label: m:ss or h:mm:ss, "0:05", "1:02:03.5".
const QRegularExpression &cueTimePattern() {
  static const QRegularExpression pattern(
      QRegularExpression::anchoredPattern(u"[0-9]+(?::[0-5][0-9]){1,2}(?:\\.[0-9]+)?"_s));
  return pattern;
}

// Unicode properties, so that \s takes every white space the trimming takes.
const QRegularExpression &cuePrefixPattern() {
  static const QRegularExpression pattern(
      u"^Cue\\s+([0-9]+(?:\\.[0-9]+)?)\\s*:\\s*"_s,
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
  return pattern;
}

// A reading that is not finite is no progress at all.
std::optional<double> progressFrom(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  return std::clamp(value, 0.0, 1.0);
}

}  // namespace

ConsoleCommandLine::ConsoleCommandLine(std::shared_ptr<AppTiming> timing, QObject *parent)
    : ObservableObject(parent), timing_(std::move(timing)) {}

bool ConsoleCommandLine::isCommandLineFeedback(const AddressComponents &components) const {
  if (components.size() < 3 || components[0] != "eos"_L1 || components[1] != "out"_L1) return false;
  if (components.size() == 3) return components[2] == "cmd"_L1;
  if (components.size() != 5 || components[2] != "user"_L1 || components[4] != "cmd"_L1)
    return false;
  const std::optional<qint64> user = parseStrictInteger<qint64>(components[3]);
  return user && currentConsoleUser_ == user;
}

void ConsoleCommandLine::handleCommandLineText(const QString &text) {
  const QString line = trimmedText(text);
  QString rest = line;
  std::optional<QString> mode;
  for (const ModePrefix &prefix : modePrefixes) {
    if (line.startsWith(prefix.prefix, Qt::CaseInsensitive)) {
      mode = prefix.label;
      rest = trimmedText(line.mid(prefix.prefix.size()));
      break;
    }
  }
  rest = trimmedText(rest.replace(cuePrefixPattern(), u"Q\\1: "_s));
  if (rest.endsWith(u'#')) rest = rest.chopped(1) + u"◆"_s;

  announce();
  assign(rawConsoleCommandLine_, line, &ConsoleCommandLine::rawConsoleCommandLineChanged);
  if (mode) assign(consoleModeLabel_, *mode, &ConsoleCommandLine::consoleModeLabelChanged);
  assign(displayedCommandLine_, rest, &ConsoleCommandLine::displayedCommandLineChanged);
  assign(commandLineText_, rest, &ConsoleCommandLine::commandLineTextChanged);

  // The repeat window runs on the monotonic clock, so a wall clock that steps can neither
  // swallow a new line nor record an echo twice.
  const double now = timing_->uptime();
  if (line.isEmpty() || (line == lastConsoleHistoryText_ &&
                         now - lastConsoleHistoryDate_ <= consoleHistoryRepeatWindow)) {
    return;
  }
  lastConsoleHistoryText_ = line;
  lastConsoleHistoryDate_ = now;
  recordCommandHistory(line, u"Console"_s);
}

bool ConsoleCommandLine::handleSoftkey(int key, const QString &label) {
  if (key < 1 || key > softkeyLabels_.size()) return false;
  QStringList labels = softkeyLabels_;
  labels[key - 1] = label;
  publish(softkeyLabels_, std::move(labels), &ConsoleCommandLine::softkeyLabelsChanged);
  return true;
}

std::optional<ConsoleCommandLine::CueText> ConsoleCommandLine::parseCueText(const QString &text) {
  QStringList words =
      text.split(QRegularExpression(u"\\s+"_s, QRegularExpression::UseUnicodePropertiesOption),
                 Qt::SkipEmptyParts);
  if (words.isEmpty()) return std::nullopt;
  const QString first = words.takeFirst();
  const QStringList pieces = first.split(u'/', Qt::SkipEmptyParts);
  if (pieces.isEmpty()) return std::nullopt;
  QString number = pieces.size() >= 2 ? pieces[1] : pieces[0];
  // "1/ 2.3 Label": the list, then the cue number after a blank.
  if (pieces.size() == 1 && first.endsWith(u'/') && !words.isEmpty() &&
      isCueNumber(words.first())) {
    number = words.takeFirst();
  }
  if (!isCueNumber(number)) return std::nullopt;

  CueText cue{number, {}, std::nullopt};
  if (!words.isEmpty() && words.last().endsWith(u'%')) {
    const std::optional<double> percent = parseDecimal(QStringView(words.last()).chopped(1));
    if (percent && (cue.progress = progressFrom(*percent / 100))) words.removeLast();
  }
  // A trailing number or time is the cue's time, not part of its label.
  if (!words.isEmpty() &&
      (parseDecimal(words.last()) || cueTimePattern().match(words.last()).hasMatch())) {
    words.removeLast();
  }
  cue.label = words.join(u' ');
  return cue;
}

void ConsoleCommandLine::handleCueText(bool pending, const QString &text) {
  const QString trimmed = trimmedText(text);
  std::optional<CueText> cue;
  if (!trimmed.isEmpty()) {
    cue = parseCueText(trimmed);
    if (!cue) return;
  } else {
    cue = CueText{};
  }
  announce();
  if (pending) {
    assign(pendingCueNumber_, cue->number, &ConsoleCommandLine::pendingCueNumberChanged);
    assign(pendingCueLabel_, cue->label, &ConsoleCommandLine::pendingCueLabelChanged);
    return;
  }
  assign(activeCue_, cue->number, &ConsoleCommandLine::activeCueChanged);
  assign(activeCueNumber_, cue->number, &ConsoleCommandLine::activeCueNumberChanged);
  assign(activeCueLabel_, cue->label, &ConsoleCommandLine::activeCueLabelChanged);
  assign(activeCueProgress_, cue->progress, &ConsoleCommandLine::activeCueProgressChanged);
}

void ConsoleCommandLine::handleCueNumber(bool pending, const AddressComponents &components,
                                         const QList<OSCArgument> &arguments) {
  if (components.size() < 6 || components[0] != "eos"_L1 || components[1] != "out"_L1 ||
      components[3] != "cue"_L1 || components[5] == "text"_L1 || !isCueNumber(components[5])) {
    return;
  }
  const QString number = components[5].toString();
  if (pending) {
    publish(pendingCueNumber_, number, &ConsoleCommandLine::pendingCueNumberChanged);
    return;
  }
  std::optional<double> progress = activeCueProgress_;
  if (!arguments.isEmpty()) {
    if (const auto *value = std::get_if<qint32>(&arguments[0].value)) {
      progress = progressFrom(*value);
    } else if (const auto *value = std::get_if<float>(&arguments[0].value)) {
      if (std::isfinite(*value)) progress = progressFrom(*value);
    }
  }
  announce();
  assign(activeCue_, number, &ConsoleCommandLine::activeCueChanged);
  assign(activeCueNumber_, number, &ConsoleCommandLine::activeCueNumberChanged);
  assign(activeCueProgress_, progress, &ConsoleCommandLine::activeCueProgressChanged);
}

void ConsoleCommandLine::recordCommandHistory(const QString &text, const QString &source) {
  QList<CommandHistoryEntry> history = commandHistory_;
  history.append({QUuid::createUuid(), text, timing_->date(), source});
  if (history.size() > commandHistoryLimit) history.remove(0, history.size() - commandHistoryLimit);
  publish(commandHistory_, std::move(history), &ConsoleCommandLine::commandHistoryChanged);
}

void ConsoleCommandLine::noteSent(const QString &summary) {
  publish(lastCommandSummary_, summary, &ConsoleCommandLine::lastCommandSummaryChanged);
  recordCommandHistory(summary, u"Sent"_s);
}

void ConsoleCommandLine::resetSession() {
  currentConsoleUser_.reset();
  publish(activeCue_, QString(), &ConsoleCommandLine::activeCueChanged);
  publish(activeCueNumber_, QString(), &ConsoleCommandLine::activeCueNumberChanged);
  publish(activeCueLabel_, QString(), &ConsoleCommandLine::activeCueLabelChanged);
  publish(activeCueProgress_, std::nullopt, &ConsoleCommandLine::activeCueProgressChanged);
  publish(pendingCueNumber_, QString(), &ConsoleCommandLine::pendingCueNumberChanged);
  publish(pendingCueLabel_, QString(), &ConsoleCommandLine::pendingCueLabelChanged);
  publish(rawConsoleCommandLine_, QString(), &ConsoleCommandLine::rawConsoleCommandLineChanged);
  publish(displayedCommandLine_, QString(), &ConsoleCommandLine::displayedCommandLineChanged);
  publish(commandLineText_, QString(), &ConsoleCommandLine::commandLineTextChanged);
  publish(softkeyLabels_, QStringList(12), &ConsoleCommandLine::softkeyLabelsChanged);
}

void ConsoleCommandLine::clearCues() {
  announce();
  assign(activeCue_, QString(), &ConsoleCommandLine::activeCueChanged);
  assign(activeCueNumber_, QString(), &ConsoleCommandLine::activeCueNumberChanged);
  assign(activeCueLabel_, QString(), &ConsoleCommandLine::activeCueLabelChanged);
  assign(pendingCueNumber_, QString(), &ConsoleCommandLine::pendingCueNumberChanged);
  assign(pendingCueLabel_, QString(), &ConsoleCommandLine::pendingCueLabelChanged);
  assign(activeCueProgress_, std::nullopt, &ConsoleCommandLine::activeCueProgressChanged);
}

}  // namespace tarnik
