#include "screens/live/LiveView.h"

#include "app/AppViewModel.h"
#include "link/OSCManager.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/PlainMessageBox.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/live/CommandHistoryView.h"
#include "screens/live/KeyRowPanel.h"
#include "screens/live/LiveCommandLine.h"
#include "screens/live/LiveHeader.h"
#include "screens/live/LivePresentation.h"
#include "screens/live/LiveShowDetailsView.h"
#include "screens/live/MainKeypadPanel.h"
#include "screens/live/OverlayScrollBar.h"
#include "screens/live/SoftKeyPanel.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tarnik {

namespace {

constexpr int columnSpacing = 5;
constexpr int sidePadding = 4;
constexpr int topPadding = 2;
constexpr int noticeTopPadding = 4;
constexpr int noticeTextSize = 13;
// The history shows the newest hundred; the model keeps twice that.
constexpr qsizetype historyEntryCount = 100;

// A sheet over the page: window-modal, gone once closed, its flag reset however it closes.
void openSheet(QDialog &sheet, bool &flag) {
  flag = true;
  sheet.setWindowModality(Qt::WindowModal);
  sheet.setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(&sheet, &QDialog::finished, &sheet, [&flag] { flag = false; });
  sheet.open();
}

void paintBlack(QWidget &widget) {
  QPalette ground = widget.palette();
  ground.setColor(QPalette::Window, Style::dark(Style::Role::ground));
  widget.setPalette(ground);
  widget.setAutoFillBackground(true);
}

QLabel *makeViewerNotice() {
  QLabel *notice = plainLabel(
      LiveView::tr("Viewer mode is active. Controls are read-only.\nTo use the virtual keypad, "
                   "switch to Editor mode in the More tab."),
      QStringLiteral("live.viewerNotice"));
  notice->setWordWrap(true);
  notice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  notice->setContentsMargins(0, noticeTopPadding, 0, 0);
  QFont font = notice->font();
  font.setPixelSize(noticeTextSize);
  notice->setFont(font);
  QPalette colours = notice->palette();
  QColor white = Style::dark(Style::Role::primaryText);
  white.setAlphaF(0.75F);
  colours.setColor(QPalette::WindowText, white);
  notice->setPalette(colours);
  return notice;
}

}  // namespace

LiveView::LiveView(AppViewModel &model, LivePageParts parts, QWidget *parent)
    : QWidget(parent),
      model_(model),
      diagnostics_(std::move(parts.diagnostics)),
      torch_(parts.torch ? std::move(parts.torch) : std::make_unique<TorchController>()),
      scroll_(new QScrollArea),
      header_(new LiveHeader),
      commandLine_(new LiveCommandLine),
      viewerNotice_(makeViewerNotice()) {
  const KeyPress press = [this](const std::optional<QString> &key, bool viewer) {
    pressKey(key, viewer);
  };
  softKeys_ = new SoftKeyPanel(press);
  keyRows_ = new KeyRowPanel(press);
  keypad_ = new MainKeypadPanel(press);
  paintBlack(*this);

  // The column is as wide as the page and at least as high; the stretch keeps a short one
  // at the top. The scroll area's own bars stay hidden, so the keys keep the page's whole
  // width; a column taller than the page shows a slim bar over its edge instead: at the
  // window's smallest size the keypad's last row is below the fold, and nothing else would
  // say it is there.
  auto *content = new QWidget;
  content->setObjectName(QStringLiteral("live.column"));
  auto *column = new QVBoxLayout(content);
  column->setContentsMargins(sidePadding, topPadding, sidePadding, 0);
  column->setSpacing(columnSpacing);
  column->addWidget(header_);
  column->addWidget(commandLine_);
  column->addWidget(softKeys_);
  column->addWidget(keyRows_);
  column->addWidget(keypad_);
  column->addWidget(viewerNotice_);
  column->addStretch();
  scroll_->setObjectName(QStringLiteral("live.scroll"));
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setWidgetResizable(true);
  scroll_->setWidget(content);
  new OverlayScrollBar(*scroll_, QStringLiteral("live.scrollBar"));
  paintBlack(*scroll_->viewport());
  paintBlack(*content);
  auto *page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->addWidget(scroll_);

  connect(header_, &LiveHeader::toggleTorch, this, &LiveView::toggleTorch);
  connect(header_, &LiveHeader::showDetails, this, &LiveView::openShowDetails);
  connect(header_, &LiveHeader::showConnectionDiagnostics, this,
          &LiveView::openConnectionDiagnostics);
  connect(commandLine_, &LiveCommandLine::showHistory, this, &LiveView::openCommandHistory);
  connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
          &LiveView::handleScenePhaseChange);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(model_);
  refresh->observe(*model_.oscManager());
  refresh->observe(*torch_);
  refresh->redrawNow();
}

LiveView::~LiveView() {
  // A page dropped while shown never saw its hide.
  if (isVisible()) turnOffTorch();
}

void LiveView::pressKey(const std::optional<QString> &key, bool viewer) {
  if (!key || viewer) return;
  model_.sendKey(*key);
}

void LiveView::toggleTorch() {
  if (const std::optional<QString> failure = torch_->setTorch()) {
    showTorchAlert(QStringLiteral("Flashlight unavailable"), *failure);
  }
}

void LiveView::presentTorchCleanupFailure() {
  const std::optional<QString> failure = torch_->pendingCleanupFailure();
  torch_->setPendingCleanupFailure(std::nullopt);
  if (failure) showTorchAlert(QStringLiteral("Check Flashlight"), *failure);
}

void LiveView::turnOffTorch() { torch_->turnOffAutomatically(); }

void LiveView::handleScenePhaseChange(Qt::ApplicationState phase) {
  if (phase == Qt::ApplicationActive) {
    presentTorchCleanupFailure();
  } else {
    torch_->turnOffAutomatically();
  }
}

void LiveView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) presentTorchCleanupFailure();
}

void LiveView::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  // A minimised window hides its page spontaneously; only leaving the page turns it off.
  if (!event->spontaneous()) turnOffTorch();
}

void LiveView::redraw() {
  const bool viewer = model_.interactionMode() == InteractionMode::viewer;
  const OSCManager &manager = *model_.oscManager();
  header_->refresh({
      .showName = LivePresentation::showName(model_.showFileName()),
      .isTorchOn = torch_->isOn(),
      .isTorchAvailable = torch_->isAvailable(),
      .isConsoleReachable = model_.isConsoleReachable(),
      .isSyncing = model_.isLoadingCues() || model_.isLoadingPatch(),
      .isTransportConnected = manager.isConnected(),
      .transportStateDescription = manager.connectionStateDescription(),
  });
  commandLine_->refresh(
      LivePresentation::commandLineText(model_.displayedCommandLine(), model_.activeCueNumber(),
                                        model_.activeCue()),
      LivePresentation::hasConsoleFeedback(model_.displayedCommandLine()),
      model_.canControlFixtures());
  softKeys_->refresh(viewer, model_.softkeyLabels());
  keyRows_->refresh(viewer);
  keypad_->refresh(viewer);
  viewerNotice_->setVisible(viewer);
  if (history_) history_->setEntries(model_.commandHistory());
}

void LiveView::showTorchAlert(const QString &title, const QString &message) {
  isShowingTorchAlert_ = true;
  if (!torchAlert_) {
    torchAlert_ = plainMessageBox(this, QStringLiteral("live.torchAlert"), title, message);
    // One box serves every alert, so it stays when closed.
    torchAlert_->setAttribute(Qt::WA_DeleteOnClose, false);
    torchAlert_->setIcon(QMessageBox::Warning);
    torchAlert_->addButton(tr("OK"), QMessageBox::RejectRole);
    connect(torchAlert_, &QDialog::finished, this, [this] { isShowingTorchAlert_ = false; });
  }
  // A later alert takes the place of one still up.
  setPlainAlertTexts(*torchAlert_, title, message);
  if (!torchAlert_->isVisible()) torchAlert_->open();
}

void LiveView::openConnectionDiagnostics() {
  if (isShowingConnectionDiagnostics_ || !diagnostics_) return;
  auto *dialog = new QDialog(this);
  dialog->setObjectName(QStringLiteral("live.diagnostics"));
  auto *layout = new QVBoxLayout(dialog);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(diagnostics_(*dialog));
  dialog->resize(std::max(420, width() * 9 / 10), std::max(360, height() / 2));
  openSheet(*dialog, isShowingConnectionDiagnostics_);
}

void LiveView::openCommandHistory() {
  if (isShowingCommandHistory_) return;
  history_ = new CommandHistoryView(model_.commandHistory(), historyEntryCount, this);
  history_->resize(std::max(420, width() * 9 / 10), std::max(360, window()->height() * 3 / 4));
  openSheet(*history_, isShowingCommandHistory_);
}

void LiveView::openShowDetails() {
  if (isShowingShowDetails_) return;
  auto *details = new LiveShowDetailsView(model_, this);
  details->resize(std::max(420, width() * 9 / 10), std::max(320, window()->height() / 2));
  openSheet(*details, isShowingShowDetails_);
}

}  // namespace tarnik
