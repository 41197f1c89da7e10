#pragma once

#include "link/BonjourBrowsing.h"
#include "link/TarnikRelayDiscovery.h"
#include "model/ConsoleConnectionProfile.h"

#include <QUuid>
#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace tarnik {

class AppViewModel;
class ElidedLabel;
struct ConnectionPageInput;
class SelectableWrappedLabel;

// The connection screen: the link's status, the saved connections, the route through a Mac
// relay, the settings form, the two examples, the connection test, Connect and Disconnect,
// and the OSC services found nearby, one section under another in a scrolling list. It
// holds no connection logic: each control edits published fields of the model or calls one
// of its operations, and every value shown is read from the model at each redraw.
class ConnectionView : public QWidget {
  Q_OBJECT

 public:
  explicit ConnectionView(AppViewModel &app,
                          BonjourBrowserFactory makeRelayBrowser = avahiBrowserFactory(),
                          QWidget *parent = nullptr);
  ~ConnectionView() override;

  const TarnikRelayDiscovery &relayDiscovery() const { return *relayDiscovery_; }

 protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

 private slots:
  // Each control calls one model operation; the screen keeps no connection logic.
  void applyConnectionProfile(const tarnik::ConsoleConnectionProfile &profile);
  void startNewConnection();
  void saveConnectionProfile();
  void applyBuiltInProfile(const tarnik::ConsoleConnectionProfile &profile);
  void testConnection();
  // The "Via Mac" switch: the route, then the settings a relay (or a console) takes.
  void setUsesMacRelay(bool on);

 private:
  QWidget *makeStatusSection();
  QWidget *makeSavedConnectionsSection();
  QWidget *makeRouteSection();
  QWidget *makeSettingsSection();
  QWidget *makeExamplesSection();
  QWidget *makeTestSection();
  QWidget *makeActionsSection();
  QWidget *makeNearbyServicesSection();

  // Each redraw reads the model once; each section draws what the page's rules make of it.
  ConnectionPageInput readPage() const;
  void redraw();
  void redrawStatus(const ConnectionPageInput &page);
  void redrawSavedConnections(const ConnectionPageInput &page);
  void redrawRoute(const ConnectionPageInput &page);
  void redrawSettings(const ConnectionPageInput &page);
  void redrawTest(const ConnectionPageInput &page);
  void redrawActions(const ConnectionPageInput &page);
  void redrawNearbyServices(const ConnectionPageInput &page);

  AppViewModel &app_;
  std::unique_ptr<TarnikRelayDiscovery> relayDiscovery_;

  QWidget *list_ = nullptr;  // the sections, inside the scroll area
  QFormLayout *statusRows_ = nullptr;
  ElidedLabel *managerSocket_ = nullptr;
  ElidedLabel *eosResponse_ = nullptr;
  ElidedLabel *configuration_ = nullptr;
  ElidedLabel *lastEosResponse_ = nullptr;

  QVBoxLayout *profileRows_ = nullptr;
  QList<ConsoleConnectionProfile> drawnProfiles_;
  std::optional<QUuid> drawnSelection_;
  bool profilesDrawn_ = false;
  ElidedLabel *storageError_ = nullptr;
  ElidedLabel *settingsFileError_ = nullptr;
  QPushButton *saveButton_ = nullptr;

  QCheckBox *viaMac_ = nullptr;
  QWidget *relayDetails_ = nullptr;  // everything below the switch, shown while it is on
  QLineEdit *relayPairingCode_ = nullptr;
  QVBoxLayout *nearbyMacRows_ = nullptr;
  QList<TarnikRelayDiscovery::Relay> drawnRelays_;
  QLabel *relayDiscoveryStatus_ = nullptr;

  QLineEdit *name_ = nullptr;
  QLineEdit *host_ = nullptr;
  QComboBox *transport_ = nullptr;
  QLabel *destinationPortLabel_ = nullptr;
  QLineEdit *destinationPort_ = nullptr;
  QWidget *listenPortRow_ = nullptr;
  QLineEdit *listenPort_ = nullptr;
  QComboBox *framing_ = nullptr;
  ElidedLabel *validationError_ = nullptr;
  QLabel *settingsFooter_ = nullptr;

  QPushButton *testButton_ = nullptr;
  QProgressBar *testBusy_ = nullptr;
  QFormLayout *testRows_ = nullptr;
  SelectableWrappedLabel *testStatus_ = nullptr;
  SelectableWrappedLabel *testIdentity_ = nullptr;
  SelectableWrappedLabel *testVersion_ = nullptr;

  QPushButton *disconnectButton_ = nullptr;

  QVBoxLayout *serviceRows_ = nullptr;
  std::optional<QList<QUuid>> drawnServiceIDs_;  // none: never drawn
};

}  // namespace tarnik
