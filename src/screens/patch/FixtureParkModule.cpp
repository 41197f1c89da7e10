#include "screens/patch/FixtureParkModule.h"

#include "operations/FixtureControlStore.h"
#include "screens/kit/PlainMessageBox.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/patch/ChannelCardText.h"
#include "screens/patch/FixtureParkModuleTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureParkModule::FixtureParkModule(FixtureControlStore &store, qint64 channelNumber,
                                     Controls controls, QWidget *parent)
    : QWidget(parent),
      store_(store),
      channelNumber_(channelNumber),
      controls_(std::move(controls)),
      refresh_(new ScreenRefresh(this, [this] { redraw(); })),
      title_(new QLabel(this)),
      detail_(new QLabel(this)),
      notice_(new QLabel(this)),
      actionButton_(new QPushButton(this)),
      checkButton_(new QPushButton(this)),
      checking_(new QProgressBar(checkButton_)) {
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(12);
  auto *status = new QVBoxLayout;
  status->setSpacing(4);
  title_->setObjectName(u"fixture.park.title"_s);
  detail_->setObjectName(u"fixture.park.detail"_s);
  styleCardLabel(*title_, ChannelCardTextStyle::subheadline, ChannelCardTextTone::primary, true);
  styleCardLabel(*detail_, ChannelCardTextStyle::caption, ChannelCardTextTone::secondary);
  detail_->setWordWrap(true);
  notice_->setObjectName(u"fixture.park.notice"_s);
  styleCardLabel(*notice_, ChannelCardTextStyle::caption, ChannelCardTextTone::primary);
  notice_->setWordWrap(true);
  notice_->setVisible(false);
  status->addWidget(title_);
  status->addWidget(detail_);
  status->addWidget(notice_);
  row->addLayout(status, 1);
  row->addSpacing(12);

  actionButton_->setObjectName(u"fixture.park.action"_s);
  // Green marks a control that can change the console now.
  Style::fillButton(*actionButton_, Style::Role::success, Style::Ground::dark);
  connect(actionButton_, &QPushButton::clicked, this, [this] {
    const FixtureParkPresentation shown = presentation();
    if (shown.control == FixtureParkPresentation::Control::action) askToConfirm(shown.action);
  });
  row->addWidget(actionButton_, 0, Qt::AlignVCenter);

  checkButton_->setObjectName(u"fixture.park.check"_s);
  checkButton_->setAccessibleDescription(
      u"Reads the authoritative park state from Eos without changing it."_s);
  // While a check runs the button shows a small busy bar in place of its text.
  auto *busy = new QHBoxLayout(checkButton_);
  busy->setContentsMargins(10, 0, 10, 0);
  checking_->setRange(0, 0);
  checking_->setTextVisible(false);
  checking_->setFixedHeight(6);
  busy->addWidget(checking_);
  connect(checkButton_, &QPushButton::clicked, this, [this] {
    if (controls_.checkParkState) controls_.checkParkState();
  });
  row->addWidget(checkButton_, 0, Qt::AlignVCenter);

  refresh_->observe(store_);
  refresh_->redrawNow();
}

void FixtureParkModule::observe(const ObservableObject &object) { refresh_->observe(object); }

void FixtureParkModule::setChannelNumber(qint64 channelNumber) {
  if (channelNumber == channelNumber_) return;
  channelNumber_ = channelNumber;
  if (confirmation_) confirmation_->reject();
  notice_->clear();
  redraw();
}

std::optional<FixtureParkState> FixtureParkModule::parkState() const {
  const std::optional<FixtureControlState> state = store_.state(int(channelNumber_));
  return state ? std::optional(state->parkState) : std::nullopt;
}

FixtureParkPresentation FixtureParkModule::presentation() const {
  return fixtureParkPresentation(parkState());
}

void FixtureParkModule::redraw() {
  using Control = FixtureParkPresentation::Control;
  const FixtureParkPresentation shown = presentation();
  title_->setText(shown.title);
  detail_->setText(shown.detail);
  if (parkState() != noticeState_) notice_->clear();
  notice_->setVisible(!notice_->text().isEmpty());

  actionButton_->setVisible(shown.control == Control::action);
  actionButton_->setText(parkActionLabel(shown.action));
  actionButton_->setAccessibleDescription(parkActionHint(shown.action, channelNumber_));
  actionButton_->setEnabled(controls_.canControl && controls_.canControl());

  const bool checking = controls_.isCheckingParkState && controls_.isCheckingParkState();
  checkButton_->setVisible(shown.control == Control::check);
  checkButton_->setText(checking ? QString() : u"Check Park State"_s);
  checkButton_->setAccessibleName(checking ? u"Checking park state"_s : u"Check park state"_s);
  checkButton_->setMinimumWidth(checking ? 72 : 0);
  checking_->setVisible(checking);
  checkButton_->setEnabled(!checking && controls_.canCheckParkState &&
                           controls_.canCheckParkState());
}

void FixtureParkModule::askToConfirm(FixtureParkAction action) {
  actionToConfirm_ = action;
  QMessageBox *box = plainMessageBox(
      this, u"fixture.park.confirmation"_s, parkConfirmationTitle(action, channelNumber_),
      u"Eos must report the new park state before Tarnik treats it as confirmed."_s);
  box->setIcon(QMessageBox::Question);
  confirmButton_ = box->addButton(parkActionLabel(action), QMessageBox::AcceptRole);
  confirmButton_->setObjectName(u"fixture.park.confirmation.confirm"_s);
  QPushButton *cancel = box->addButton(u"Cancel"_s, QMessageBox::RejectRole);
  cancel->setObjectName(u"fixture.park.confirmation.cancel"_s);
  box->setDefaultButton(cancel);
  box->setEscapeButton(cancel);
  connect(box, &QMessageBox::finished, this, &FixtureParkModule::confirmationFinished);
  confirmation_ = box;
  // Window-modal, so the rest of the program keeps running while the box waits.
  box->open();
}

void FixtureParkModule::confirmationFinished() {
  const bool confirmed = confirmation_ && confirmation_->clickedButton() == confirmButton_;
  const std::optional<FixtureParkAction> action = std::exchange(actionToConfirm_, std::nullopt);
  confirmButton_ = nullptr;
  if (!confirmed || !action) return;
  const bool sent = *action == FixtureParkAction::unpark ? store_.unpark(int(channelNumber_))
                                                         : store_.park(int(channelNumber_));
  if (sent) return;
  // The person confirmed a change to the console: one that did not go says so.
  noticeState_ = parkState();
  notice_->setText(
      parkActionNotSentText(*action, noticeState_, controls_.canControl && controls_.canControl()));
  redraw();
}

}  // namespace tarnik
