#pragma once

#include "app/TorchController.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QLabel;
class QMessageBox;
class QScrollArea;

namespace tarnik {

class AppViewModel;
class CommandHistoryView;
class KeyRowPanel;
class LiveCommandLine;
class LiveHeader;
class MainKeypadPanel;
class SoftKeyPanel;

// Makes the connection diagnostics screen inside the dialog the Live page opens for it; the
// screen closes its presenter when the user is done. The window passes it in, as the
// diagnostics screen is the window's own.
using LiveDiagnosticsFactory = std::function<QWidget *(QDialog &presenter)>;

struct LivePageParts {
  LiveDiagnosticsFactory diagnostics{};
  // None: a fresh controller for this page's life.
  std::unique_ptr<TorchController> torch{};
};

// The "Live" page: one scrolling column on black (a slim bar over its edge only while it is
// taller than the page), holding the header, the command line bar, the three key panels
// and, in viewer mode, a notice. The window makes it afresh at every visit, so its
// flashlight controller and the state of its dialogs live and die with it. Everything it
// shows is read from the model at each redraw.
class LiveView : public QWidget {
  Q_OBJECT

 public:
  explicit LiveView(AppViewModel &model, LivePageParts parts = {}, QWidget *parent = nullptr);
  ~LiveView() override;

  // The one road of a key press: nothing without a key or in viewer mode; otherwise the
  // model checks, sends and records the name exactly as given.
  void pressKey(const std::optional<QString> &key, bool viewer);

  // The flashlight: the header's switch, a pending report of a failed automatic turn-off,
  // and the turn-off when the page goes away.
  void toggleTorch();
  void presentTorchCleanupFailure();
  void turnOffTorch();
  void handleScenePhaseChange(Qt::ApplicationState phase);

  TorchController &torch() const { return *torch_; }
  bool isShowingCommandHistory() const { return isShowingCommandHistory_; }
  bool isShowingConnectionDiagnostics() const { return isShowingConnectionDiagnostics_; }
  bool isShowingShowDetails() const { return isShowingShowDetails_; }
  bool isShowingTorchAlert() const { return isShowingTorchAlert_; }

 protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

 private:
  void redraw();
  void showTorchAlert(const QString &title, const QString &message);
  void openConnectionDiagnostics();
  void openCommandHistory();
  void openShowDetails();

  AppViewModel &model_;
  LiveDiagnosticsFactory diagnostics_;
  std::unique_ptr<TorchController> torch_;
  QScrollArea *scroll_;
  LiveHeader *header_;
  LiveCommandLine *commandLine_;
  SoftKeyPanel *softKeys_;
  KeyRowPanel *keyRows_;
  MainKeypadPanel *keypad_;
  QLabel *viewerNotice_;
  QMessageBox *torchAlert_ = nullptr;
  QPointer<CommandHistoryView> history_;

  bool isShowingCommandHistory_ = false;
  bool isShowingConnectionDiagnostics_ = false;
  bool isShowingShowDetails_ = false;
  bool isShowingTorchAlert_ = false;
};

}  // namespace tarnik
