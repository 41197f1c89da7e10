#pragma once

#include "app/AddressComponents.h"
#include "app/AppTiming.h"
#include "foundation/ObservableObject.h"
#include "link/OSCArgument.h"
#include "model/CommandHistoryEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tarnik {

// The console's command line as this application shows it: what the console reports
// unasked (its user, command line, softkeys, active and pending cue), the last command sent
// and the command history, newest last. It sends nothing; the model's commands report
// here what they sent or why they were refused.
class ConsoleCommandLine final : public ObservableObject {
  Q_OBJECT

 public:
  static constexpr int commandHistoryLimit = 200;

  // An active or pending cue as the console writes it: "1/2.3 Label 0:05 75%".
  struct CueText {
    QString number;
    QString label;
    std::optional<double> progress;
  };
  static std::optional<CueText> parseCueText(const QString &text);

  // The timing outlives the command line.
  explicit ConsoleCommandLine(std::shared_ptr<AppTiming> timing, QObject *parent = nullptr);

  // What the console reports unasked
  void noteConsoleUser(qint64 user) { currentConsoleUser_ = user; }
  std::optional<qint64> consoleUser() const { return currentConsoleUser_; }
  // The command line of the console as a whole, or of the user this application is.
  bool isCommandLineFeedback(const AddressComponents &components) const;
  void handleCommandLineText(const QString &text);
  // False for a key outside the twelve.
  bool handleSoftkey(int key, const QString &label);
  void handleCueText(bool pending, const QString &text);
  void handleCueNumber(bool pending, const AddressComponents &components,
                       const QList<OSCArgument> &arguments);

  void recordCommandHistory(const QString &text, const QString &source);
  // A command on its way: the last command and a "Sent" row.
  void noteSent(const QString &summary);
  // The session ended: the console's user, command line, softkeys and cues are forgotten;
  // the history and the last command stay.
  void resetSession();
  // The console has no show: no active or pending cue.
  void clearCues();

  // Published values
  const QString &consoleModeLabel() const { return consoleModeLabel_; }
  const QString &rawConsoleCommandLine() const { return rawConsoleCommandLine_; }
  const QString &displayedCommandLine() const { return displayedCommandLine_; }
  const QString &commandLineText() const { return commandLineText_; }
  const QString &lastCommandSummary() const { return lastCommandSummary_; }
  const QList<CommandHistoryEntry> &commandHistory() const { return commandHistory_; }
  const QStringList &softkeyLabels() const { return softkeyLabels_; }
  const QString &activeCue() const { return activeCue_; }
  const QString &activeCueNumber() const { return activeCueNumber_; }
  const QString &activeCueLabel() const { return activeCueLabel_; }
  std::optional<double> activeCueProgress() const { return activeCueProgress_; }
  const QString &pendingCueNumber() const { return pendingCueNumber_; }
  const QString &pendingCueLabel() const { return pendingCueLabel_; }

 signals:
  void consoleModeLabelChanged(const QString &value);
  void rawConsoleCommandLineChanged(const QString &value);
  void displayedCommandLineChanged(const QString &value);
  void commandLineTextChanged(const QString &value);
  void lastCommandSummaryChanged(const QString &value);
  void commandHistoryChanged(const QList<tarnik::CommandHistoryEntry> &value);
  void softkeyLabelsChanged(const QStringList &value);
  void activeCueChanged(const QString &value);
  void activeCueNumberChanged(const QString &value);
  void activeCueLabelChanged(const QString &value);
  void activeCueProgressChanged(std::optional<double> value);
  void pendingCueNumberChanged(const QString &value);
  void pendingCueLabelChanged(const QString &value);

 private:
  // 0001-01-01 in seconds since 2001: earlier than any moment the command line meets.
  static constexpr double distantPast = -63114076800.0;

  const std::shared_ptr<AppTiming> timing_;

  std::optional<qint64> currentConsoleUser_;
  QString lastConsoleHistoryText_;
  double lastConsoleHistoryDate_ = distantPast;

  QString consoleModeLabel_ = QStringLiteral("LIVE");
  QString rawConsoleCommandLine_;
  QString displayedCommandLine_;
  QString commandLineText_;
  QString lastCommandSummary_;
  QList<CommandHistoryEntry> commandHistory_;    // at most commandHistoryLimit
  QStringList softkeyLabels_ = QStringList(12);  // always twelve
  QString activeCue_;
  QString activeCueNumber_;
  QString activeCueLabel_;
  std::optional<double> activeCueProgress_;
  QString pendingCueNumber_;
  QString pendingCueLabel_;
};

}  // namespace tarnik
