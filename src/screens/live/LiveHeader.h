#pragma once

#include <QString>
#include <QWidget>

namespace tarnik {

class LiveShowButton;
class LiveSymbolButton;

// What the Live page hands its header at every redraw.
struct LiveHeaderValues {
  QString showName{};
  bool isTorchOn = false;
  bool isTorchAvailable = false;
  bool isConsoleReachable = false;
  bool isSyncing = false;
  bool isTransportConnected = false;
  QString transportStateDescription{};
};

// The Live page's first row: the flashlight switch, the show's name midway, and the
// connection indicator. It keeps nothing: every refresh draws the values it is given, and
// each press only asks the page to act.
class LiveHeader : public QWidget {
  Q_OBJECT

 public:
  explicit LiveHeader(QWidget *parent = nullptr);

  void refresh(const LiveHeaderValues &values);

 signals:
  void toggleTorch();
  void showDetails();
  void showConnectionDiagnostics();

 private:
  LiveSymbolButton *torch_;
  LiveShowButton *show_;
  LiveSymbolButton *status_;
};

}  // namespace tarnik
