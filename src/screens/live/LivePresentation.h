#pragma once

#include <QString>

namespace tarnik {

// The colours the header and the command line bar choose between: the platform's status
// colours, white, and the two accents of the keypad palette.
enum class LiveTint { green, yellow, red, white, amberAccent, blueAccent };

struct TintedColor {
  LiveTint tint = LiveTint::white;
  double opacity = 1;
  friend bool operator==(const TintedColor &, const TintedColor &) = default;
};

// What the Live page shows, worked out from the model's values alone, so every rule can be
// tried without a widget.
namespace LivePresentation {

// The show name: trimmed, or "No show loaded".
QString showName(const QString &showFileName);

// The console's command line, trimmed; when it is blank, the active cue number's cue form,
// then the active cue text's; else "No command feedback".
QString commandLineText(const QString &displayedCommandLine, const QString &activeCueNumber,
                        const QString &activeCue);
// The console reported a command line of its own: the bar shows it rather than a cue.
bool hasConsoleFeedback(const QString &displayedCommandLine);
// A non-blank cue text as the bar shows it: "Q" before it, unless it starts with "q", and a
// leading "Cue " dropped.
QString cueForm(const QString &trimmedCue);

// The main keypad's width W on a page this wide: the column's and the panel's side padding
// taken off, never below zero, and zero for a width that is not a number.
double keypadWidth(double pageWidth);

// The header's connection status.
bool isConnecting(const QString &transportStateDescription);
QString connectionStatusText(bool isConsoleReachable, bool isSyncing, bool isTransportConnected,
                             const QString &transportStateDescription);
LiveTint statusDotColor(bool isConsoleReachable, bool isTransportConnected,
                        const QString &transportStateDescription);
QString statusAccessibleName(const QString &statusText);
QString showAccessibleName(const QString &showName);

// The flashlight button as the header draws and names it.
struct TorchLook {
  QString symbol;
  TintedColor color;
  QString accessibleName;
  QString hint;
};
TorchLook torchLook(bool isTorchOn, bool isTorchAvailable);

// The command line bar's colours, each chosen on its own flag.
TintedColor commandLineTextColor(bool hasConsoleFeedback);
TintedColor commandLineBorderColor(bool canControlConsole);
QString commandLineAccessibleName(const QString &text);

}  // namespace LivePresentation

}  // namespace tarnik
