#include "screens/live/LivePresentation.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

QString translated(const char *text) { return QCoreApplication::translate("LiveView", text); }

// The text cut into what a reader counts as characters, so a letter with a combining mark
// is one of them.
QStringList graphemes(const QString &text) {
  QStringList pieces;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  qsizetype start = 0;
  for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
    if (end > start) pieces.append(text.mid(start, end - start));
    start = end;
  }
  return pieces;
}

bool startsWithGraphemes(const QStringList &pieces, const QStringList &prefix) {
  return pieces.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), pieces.begin());
}

// Blanks and tabs only: a line break inside a cue text is the console's and stays.
QString trimBlanksAndTabs(const QString &text) {
  const auto blank = [](QChar character) { return character == u' ' || character == u'\t'; };
  qsizetype start = 0;
  qsizetype end = text.size();
  while (start < end && blank(text.at(start))) ++start;
  while (end > start && blank(text.at(end - 1))) --end;
  return text.mid(start, end - start);
}

}  // namespace

namespace LivePresentation {

QString showName(const QString &showFileName) {
  const QString trimmed = showFileName.trimmed();
  return trimmed.isEmpty() ? translated("No show loaded") : trimmed;
}

QString cueForm(const QString &trimmedCue) {
  const QStringList lowered = graphemes(trimmedCue.toLower());
  if (startsWithGraphemes(lowered, {QStringLiteral("q")})) return trimmedCue;
  if (startsWithGraphemes(lowered, {QStringLiteral("c"), QStringLiteral("u"), QStringLiteral("e"),
                                    QStringLiteral(" ")})) {
    const QStringList pieces = graphemes(trimmedCue);
    return QStringLiteral("Q") + trimBlanksAndTabs(pieces.mid(4).join(QString()));
  }
  return QStringLiteral("Q") + trimmedCue;
}

QString commandLineText(const QString &displayedCommandLine, const QString &activeCueNumber,
                        const QString &activeCue) {
  if (const QString line = displayedCommandLine.trimmed(); !line.isEmpty()) return line;
  if (const QString number = activeCueNumber.trimmed(); !number.isEmpty()) return cueForm(number);
  if (const QString cue = activeCue.trimmed(); !cue.isEmpty()) return cueForm(cue);
  return translated("No command feedback");
}

bool hasConsoleFeedback(const QString &displayedCommandLine) {
  return !displayedCommandLine.trimmed().isEmpty();
}

double keypadWidth(double pageWidth) {
  // The column's padding on both sides, then the panel's.
  constexpr double sidePadding = 4 + 4 + 5 + 5;
  if (std::isnan(pageWidth)) return 0;
  return std::max(0.0, pageWidth - sidePadding);
}

bool isConnecting(const QString &transportStateDescription) {
  const QString lowered = transportStateDescription.toLower();
  return lowered.contains(u"preparing") || lowered.contains(u"waiting") ||
         lowered.contains(u"connecting");
}

QString connectionStatusText(bool isConsoleReachable, bool isSyncing, bool isTransportConnected,
                             const QString &transportStateDescription) {
  if (isConsoleReachable) {
    return isSyncing ? translated("Eos responsive, show data syncing")
                     : translated("Eos responsive");
  }
  if (isTransportConnected) return translated("Waiting for Eos response");
  if (isConnecting(transportStateDescription)) return transportStateDescription;
  return translated("Disconnected");
}

LiveTint statusDotColor(bool isConsoleReachable, bool isTransportConnected,
                        const QString &transportStateDescription) {
  if (isConsoleReachable) return LiveTint::green;
  if (isTransportConnected || isConnecting(transportStateDescription)) return LiveTint::yellow;
  return LiveTint::red;
}

QString statusAccessibleName(const QString &statusText) {
  return translated("Connection status: ") + statusText;
}

QString showAccessibleName(const QString &showName) { return translated("Show: ") + showName; }

TorchLook torchLook(bool isTorchOn, bool isTorchAvailable) {
  TorchLook look;
  look.symbol =
      isTorchOn ? QStringLiteral("flashlight.on.fill") : QStringLiteral("flashlight.off.fill");
  if (isTorchOn) {
    look.color = {LiveTint::yellow, 1};
  } else {
    look.color = {LiveTint::white, isTorchAvailable ? 0.72 : 0.28};
  }
  look.accessibleName =
      isTorchOn ? translated("Turn flashlight off") : translated("Turn flashlight on");
  look.hint = isTorchAvailable ? translated("Controls the iPhone flashlight")
                               : translated("Explains why the flashlight is unavailable");
  return look;
}

TintedColor commandLineTextColor(bool hasConsoleFeedback) {
  return hasConsoleFeedback ? TintedColor{LiveTint::amberAccent, 1}
                            : TintedColor{LiveTint::white, 0.68};
}

TintedColor commandLineBorderColor(bool canControlConsole) {
  return {canControlConsole ? LiveTint::amberAccent : LiveTint::blueAccent, 0.92};
}

QString commandLineAccessibleName(const QString &text) {
  return translated("Command line: ") + text;
}

}  // namespace LivePresentation

}  // namespace tarnik
