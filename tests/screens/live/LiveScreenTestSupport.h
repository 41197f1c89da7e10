#pragma once

// What the Live screen's tests share beyond the keys': its parts found by name, a console
// that echoes a command line, and a diagnostics stand-in with its own "Done".

#include "LiveKeysTestSupport.h"
#include "screens/live/LiveColors.h"
#include "screens/live/LiveCommandLine.h"
#include "screens/live/LiveSymbolButton.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik::testing {

// The device seam, filled only in tests: a light believed on.
class LitTorch : public TorchController {
 public:
  LitTorch() { deviceReportsLight(true); }
};

// Stands in for the window's diagnostics screen: one "Done" that closes the presenter.
inline QWidget *diagnosticsStandIn(QDialog &presenter) {
  auto *screen = new QWidget;
  auto *done = new QPushButton(QStringLiteral("Done"), screen);
  done->setObjectName(QStringLiteral("diagnostics.done"));
  (new QVBoxLayout(screen))->addWidget(done);
  QObject::connect(done, &QPushButton::clicked, &presenter, &QDialog::accept);
  return screen;
}

class LiveScreenTest : public LiveKeysTest {
 protected:
  LiveSymbolButton *symbolButton(const QString &name) {
    return view->findChild<LiveSymbolButton *>(name);
  }
  QString status() { return symbolButton(QStringLiteral("live.header.status"))->accessibleName(); }
  LiveCommandLine *commandLine() {
    return view->findChild<LiveCommandLine *>(QStringLiteral("live.commandLine"));
  }
  QMessageBox *torchAlert() {
    return view->findChild<QMessageBox *>(QStringLiteral("live.torchAlert"));
  }
  bool alertShown() { return torchAlert() && torchAlert()->isVisible(); }
};

}  // namespace tarnik::testing
