#pragma once

#include <QHash>
#include <QWidget>

#include <optional>

class QFormLayout;

namespace tarnik {

class AppViewModel;
class OSCManager;
class ScreenRefresh;
class SelectableWrappedLabel;
class TitledSection;
class WrappedLabel;

// The report itself: the socket, the Eos verification and the heartbeat kept apart, then
// the verified console, the traffic of this connection, the mirrored show and the last
// transport error. It changes nothing. It redraws only on the model's change notice, never
// on the manager's own: the model passes the manager's changes on at most once per 100 ms,
// which keeps the traffic rows from redrawing with every packet.
class ConnectionDiagnosticsContent : public QWidget {
  Q_OBJECT

 public:
  // The manager is the one the model held when the screen was made; it must outlive this.
  ConnectionDiagnosticsContent(AppViewModel &model, OSCManager &manager, QWidget *parent = nullptr);

  // How often the rows were drawn, the first drawing included.
  int redrawCount() const { return redrawCount_; }

  static QString configuredConsoleText(const std::optional<QString> &profileName,
                                       const QString &consoleName);
  // Optional texts, and the endpoint, transport, path and interface texts: absent or blank
  // reads "Unavailable", anything else trimmed.
  static QString displayText(const std::optional<QString> &value);
  static bool showsError(const std::optional<QString> &lastError);

 private:
  QFormLayout *addSection(const QString &title, const QString &footer = {});
  WrappedLabel *addRow(QFormLayout *section, const QString &label, const QString &objectName);
  void setValue(const QString &objectName, const QString &text);
  void showRow(const QString &objectName, bool shown);
  void redraw();

  AppViewModel &model_;
  OSCManager &manager_;
  QHash<QString, WrappedLabel *> values_;
  QHash<QString, QFormLayout *> sectionOfRow_;
  QWidget *progressRow_;
  QFormLayout *showDataSection_ = nullptr;
  TitledSection *errorSection_;
  SelectableWrappedLabel *errorText_;
  ScreenRefresh *refresh_;
  int redrawCount_ = 0;
};

}  // namespace tarnik
