#pragma once

#include "link/BonjourBrowsing.h"
#include "model/ConsoleConnectionProfile.h"

#include <QUuid>
#include <QWidget>

#include <optional>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace tarnik {

class AppViewModel;
class TarnikRelayDiscovery;

// The connection screen: the link's status, the saved connections, the settings form, the
// two examples and the connection test, one section under another in a scrolling list. It
// holds no connection logic: each control edits one published field of the model or calls
// one of its operations, and every value shown is read from the model at each redraw.
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

 private:
  QWidget *makeStatusSection();
  QWidget *makeSavedConnectionsSection();
  QWidget *makeSettingsSection();
  QWidget *makeExamplesSection();
  QWidget *makeTestSection();

  void redraw();
  void redrawStatus();
  void redrawSavedConnections();
  void redrawSettings();
  void redrawTest();

  AppViewModel &app_;
  std::unique_ptr<TarnikRelayDiscovery> relayDiscovery_;

  QFormLayout *statusRows_ = nullptr;
  QLabel *managerSocket_ = nullptr;
  QLabel *eosResponse_ = nullptr;
  QLabel *configuration_ = nullptr;
  QLabel *lastEosResponse_ = nullptr;

  QVBoxLayout *profileRows_ = nullptr;
  QList<ConsoleConnectionProfile> drawnProfiles_;
  std::optional<QUuid> drawnSelection_;
  bool profilesDrawn_ = false;
  QLabel *storageError_ = nullptr;
  QPushButton *saveButton_ = nullptr;

  QLineEdit *name_ = nullptr;
  QLineEdit *host_ = nullptr;
  QComboBox *transport_ = nullptr;
  QLabel *destinationPortLabel_ = nullptr;
  QLineEdit *destinationPort_ = nullptr;
  QWidget *listenPortRow_ = nullptr;
  QLineEdit *listenPort_ = nullptr;
  QComboBox *framing_ = nullptr;
  QLabel *validationError_ = nullptr;
  QLabel *settingsFooter_ = nullptr;

  QPushButton *testButton_ = nullptr;
  QProgressBar *testBusy_ = nullptr;
  QFormLayout *testRows_ = nullptr;
  QLabel *testStatus_ = nullptr;
  QLabel *testIdentity_ = nullptr;
  QLabel *testVersion_ = nullptr;
};

}  // namespace tarnik
