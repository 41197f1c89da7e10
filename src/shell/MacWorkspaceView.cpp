#include "shell/MacWorkspaceView.h"

#include "app/AppViewModel.h"
#include "foundation/BackgroundWork.h"
#include "link/TarnikRelayServer.h"
#include "operations/MoverController.h"
#include "screens/connection/BoardRoute.h"
#include "screens/connection/UpdatesPage.h"
#include "screens/kit/NavigationStack.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "shell/AfterFirstPaint.h"
#include "shell/MacUpdater.h"
#include "shell/WorkspaceStatusBlock.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QVBoxLayout>

#include <utility>

namespace tarnik {

namespace {

constexpr int sidebarMinimumWidth = 200;
constexpr int sidebarFirstWidth = 230;
constexpr int connectionMinimumWidth = 360;
constexpr int relayMinimumWidth = 350;

QLabel *titleLabel(const QString &objectName, double scale) {
  QLabel *label = plainLabel({}, objectName);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * scale);
  label->setFont(font);
  return label;
}

QWidget *emptyPane(const QString &objectName) {
  auto *pane = new QWidget;
  pane->setObjectName(objectName);
  return pane;
}

}  // namespace

MacWorkspaceView::MacWorkspaceView(AppViewModel &app, TarnikRelayServer &relay,
                                   MoverController &mover, MacUpdater &updater,
                                   WorkspacePageFactories factories, RelayPairingKeychain keychain,
                                   QWidget *parent)
    : QWidget(parent),
      app_(app),
      relay_(relay),
      mover_(mover),
      updater_(updater),
      factories_(std::move(factories)),
      keychain_(std::move(keychain)),
      context_{app_, relay_, mover_, updater_, state_, *this},
      seenConnectionSettings_(app.activeConnectionSettings()) {
  setObjectName(QStringLiteral("workspace"));
  if (!factories_.updatesSection) {
    factories_.updatesSection = [](WorkspaceContext &context) -> QWidget * {
      return new UpdatesPage(context.updater);
    };
  }

  auto *detail = new QWidget;
  detail->setObjectName(QStringLiteral("workspace.detail"));
  detailTitle_ = titleLabel(QStringLiteral("workspace.detailTitle"), 1.5);
  detailLayout_ = new QVBoxLayout(detail);
  detailLayout_->addWidget(detailTitle_);

  auto *splitter = new QSplitter(Qt::Horizontal);
  splitter->setObjectName(QStringLiteral("workspace.split"));
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(makeSidebar());
  splitter->addWidget(detail);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({sidebarFirstWidth, 1200 - sidebarFirstWidth});

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  showPage(state_.page);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  new AfterFirstPaint(*this, [this] { loadPairingCode(); });
}

void MacWorkspaceView::loadPairingCode() {
  // A Secret Service that does not answer holds the call until D-Bus gives up on it: the
  // window goes on meanwhile.
  loadingPairingCode_ = true;
  runOnKeychainThread(this, keychain_.load, [this](const auto &loaded) {
    // A code made while this one was read is the newer one.
    if (!std::exchange(loadingPairingCode_, false)) return;
    if (!loaded) {
      state_.pairingError = QStringLiteral("Keychain: ") + loaded.error().description();
    } else if (*loaded) {
      // An older error stays: only a new code replaces it.
      state_.pairingKey = **loaded;
    } else {
      replacePairingCode();
      return;
    }
    emit pairingChanged();
  });
}

void MacWorkspaceView::replacePairingCode() {
  // A second press while the new code is being stored would make and store another one.
  if (storingPairingCode_) return;
  loadingPairingCode_ = false;
  relay_.stop();
  const auto code = keychain_.make();
  if (!code) {
    showNewPairingCode(code);
    return;
  }
  // The keychain may ask the person to unlock it; the window goes on meanwhile.
  storingPairingCode_ = true;
  runOnKeychainThread(
      this, [store = keychain_.store, code = *code] { return store(code); },
      [this, code = *code](const auto &stored) {
        storingPairingCode_ = false;
        if (!stored) {
          showNewPairingCode(std::unexpected(stored.error()));
          return;
        }
        // A relay started while the code was being stored runs with the old one.
        relay_.stop();
        showNewPairingCode(code);
      });
}

void MacWorkspaceView::showNewPairingCode(
    const std::expected<QString, RelayPairingKeychain::Failure> &code) {
  if (code) {
    state_.pairingKey = *code;
    state_.pairingError.reset();
  } else {
    state_.pairingError =
        QStringLiteral("Could not save a new pairing code: ") + code.error().description();
  }
  emit pairingChanged();
}

void MacWorkspaceView::onPairingChanged(QObject *receiver, std::function<void()> changed) {
  connect(this, &MacWorkspaceView::pairingChanged, receiver, std::move(changed));
}

bool MacWorkspaceView::canUseBoardRoute() const {
  return tarnik::canUseBoardRoute(app_.isConsoleReachable(), app_.activeConnectionSettings(),
                                  state_.pairingKey);
}

QWidget *MacWorkspaceView::makeSidebar() {
  auto *sidebar = new QWidget;
  sidebar->setObjectName(QStringLiteral("workspace.sidebar"));
  sidebar->setMinimumWidth(sidebarMinimumWidth);

  sidebarList_ = new QListWidget;
  sidebarList_->setObjectName(QStringLiteral("workspace.pages"));
  sidebarList_->setFrameShape(QFrame::NoFrame);
  sidebarList_->setIconSize(QSize(16, 16));
  // The sidebar is one tinted column, its list on the same ground, not a white text field's.
  QPalette ground = sidebar->palette();
  ground.setColor(QPalette::Window, Style::light(Style::Role::sidebar));
  ground.setColor(QPalette::Base, ground.color(QPalette::Window));
  sidebar->setPalette(ground);
  sidebar->setAutoFillBackground(true);
  const QColor iconColour = ground.color(QPalette::Highlight);
  const QColor selectedIconColour = ground.color(QPalette::HighlightedText);
  for (const QString &title : WorkspacePages::titles()) {
    auto *row =
        new QListWidgetItem(symbolIcon(WorkspacePages::symbolName(WorkspacePages::page(title)),
                                       iconColour, selectedIconColour),
                            title);
    row->setSizeHint(QSize(0, 28));
    sidebarList_->addItem(row);
  }
  connect(sidebarList_, &QListWidget::currentTextChanged, this, [this](const QString &title) {
    if (!title.isEmpty() && title != state_.page) {
      showPage(title);
    }
  });

  auto *layout = new QVBoxLayout(sidebar);
  QLabel *title = titleLabel(QStringLiteral("workspace.sidebarTitle"), 1.3);
  title->setText(QStringLiteral("Tarnik"));
  layout->addWidget(title);
  layout->addWidget(sidebarList_, 1);
  layout->addWidget(new WorkspaceStatusBlock(app_, relay_));
  return sidebar;
}

void MacWorkspaceView::showPage(const QString &title) {
  state_.page = title;
  const auto rows = sidebarList_->findItems(title, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (!rows.isEmpty() && sidebarList_->currentItem() != rows.first()) {
    sidebarList_->setCurrentItem(rows.first());
  }
  detailTitle_->setText(title);
  if (pageContent_) {
    // The old page may be the one asking to leave, so it goes at the next turn.
    pageContent_->hide();
    pageContent_->deleteLater();
  }
  pageContent_ = makePage(WorkspacePages::page(title));
  // A page that drills down draws its title in its own header bar; a second one above it
  // would only repeat it.
  detailTitle_->setHidden(pageContent_->findChild<NavigationStack *>() != nullptr);
  detailLayout_->addWidget(pageContent_, 1);
  // A child added to a window already on screen stays hidden until told otherwise.
  pageContent_->show();
}

QWidget *MacWorkspaceView::makePage(WorkspacePages::Page page) {
  using WorkspacePages::Page;
  const auto build = [this](const WorkspacePaneFactory &factory, const QString &emptyName) {
    QWidget *pane = factory ? factory(context_) : nullptr;
    return pane ? pane : emptyPane(emptyName);
  };
  switch (page) {
    case Page::live:
      return build(factories_.live, QStringLiteral("workspace.live"));
    case Page::cues:
      return build(factories_.cues, QStringLiteral("workspace.cues"));
    case Page::patch:
      return build(factories_.patch, QStringLiteral("workspace.patch"));
    case Page::controller:
      return build(factories_.controllerSections, QStringLiteral("workspace.controller"));
    case Page::updates:
      return build(factories_.updatesSection, QStringLiteral("workspace.updates"));
    case Page::connectionAndRelay:
      break;
  }
  auto *split = new QSplitter(Qt::Horizontal);
  split->setObjectName(QStringLiteral("workspace.connectionAndRelay"));
  split->setChildrenCollapsible(false);
  QWidget *connection = build(factories_.connection, QStringLiteral("workspace.connection"));
  QWidget *relaySection = build(factories_.relaySection, QStringLiteral("workspace.relay"));
  connection->setMinimumWidth(std::max(connection->minimumWidth(), connectionMinimumWidth));
  relaySection->setMinimumWidth(std::max(relaySection->minimumWidth(), relayMinimumWidth));
  split->addWidget(connection);
  split->addWidget(relaySection);
  // The panes share the width as their minimums do, not as their texts ask: a long host
  // name shown in one of them widens neither, and the page looks the same on every visit.
  split->setSizes({connectionMinimumWidth, relayMinimumWidth});
  return split;
}

void MacWorkspaceView::redraw() {
  // A new route to the console (or none) ends what the old one carried: the phones
  // relayed to it and the controller's session. The first drawing is not a change.
  const auto &settings = app_.activeConnectionSettings();
  if (settings != seenConnectionSettings_) {
    seenConnectionSettings_ = settings;
    relay_.stop();
    mover_.stopSession(QStringLiteral("Disconnected; movement disarmed."));
  }
}

void MacWorkspaceView::closeEvent(QCloseEvent *event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) {
    emit closed();
  }
}

}  // namespace tarnik
