#include "screens/live/LiveHeader.h"

#include "screens/live/LiveColors.h"
#include "screens/live/LivePresentation.h"
#include "screens/live/LiveShowButton.h"
#include "screens/live/LiveSymbolButton.h"

#include <QCoreApplication>
#include <QHBoxLayout>

namespace tarnik {

namespace {

constexpr int torchSymbolSize = 22;
constexpr int statusSymbolSize = 21;
constexpr int spacing = 6;
constexpr int rowHeight = 44;

}  // namespace

LiveHeader::LiveHeader(QWidget *parent)
    : QWidget(parent),
      torch_(new LiveSymbolButton(QStringLiteral("live.header.torch"), torchSymbolSize)),
      show_(new LiveShowButton),
      status_(new LiveSymbolButton(QStringLiteral("live.header.status"), statusSymbolSize)) {
  setObjectName(QStringLiteral("live.header"));
  setMinimumHeight(rowHeight);
  status_->setSymbol(QStringLiteral("antenna.radiowaves.left.and.right"),
                     liveColor({LiveTint::blueAccent, 1}));
  show_->setAccessibleDescription(
      QCoreApplication::translate("LiveView", "Opens current show details"));
  status_->setAccessibleDescription(
      QCoreApplication::translate("LiveView", "Opens measured connection diagnostics"));

  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(spacing);
  row->addWidget(torch_);
  row->addStretch(1);
  row->addWidget(show_, 0);
  row->addStretch(1);
  row->addWidget(status_);

  connect(torch_, &QAbstractButton::clicked, this, &LiveHeader::toggleTorch);
  connect(show_, &QAbstractButton::clicked, this, &LiveHeader::showDetails);
  connect(status_, &QAbstractButton::clicked, this, &LiveHeader::showConnectionDiagnostics);
}

void LiveHeader::refresh(const LiveHeaderValues &values) {
  const LivePresentation::TorchLook torch =
      LivePresentation::torchLook(values.isTorchOn, values.isTorchAvailable);
  torch_->setSymbol(torch.symbol, liveColor(torch.color));
  torch_->setAccessibleName(torch.accessibleName);
  torch_->setAccessibleDescription(torch.hint);

  show_->setShowName(values.showName);
  show_->setAccessibleName(LivePresentation::showAccessibleName(values.showName));

  const QString status = LivePresentation::connectionStatusText(
      values.isConsoleReachable, values.isSyncing, values.isTransportConnected,
      values.transportStateDescription);
  status_->setDot(liveColor(
      {LivePresentation::statusDotColor(values.isConsoleReachable, values.isTransportConnected,
                                        values.transportStateDescription),
       1}));
  status_->setAccessibleName(LivePresentation::statusAccessibleName(status));
}

}  // namespace tarnik
