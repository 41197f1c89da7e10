#include "shell/UpdateDialog.h"

#include "screens/kit/PlainLabel.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik {

namespace {

QPushButton *makeButton(const QString &text, const char *name, QWidget *parent) {
  auto *button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

UpdateDialog::UpdateDialog(QWidget *parent)
    : QDialog(parent),
      message_(plainLabel({}, QStringLiteral("updates.dialog.message"), this)),
      cancel_(makeButton(QStringLiteral("Cancel"), "updates.dialog.cancel", this)),
      download_(makeButton(QStringLiteral("Download"), "updates.dialog.download", this)),
      later_(makeButton(QStringLiteral("Later"), "updates.dialog.later", this)),
      done_(makeButton(QStringLiteral("OK"), "updates.dialog.done", this)) {
  setObjectName(QStringLiteral("updates.dialog"));
  setWindowTitle(QStringLiteral("Software Update"));
  message_->setWordWrap(true);
  message_->setMinimumWidth(360);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton *button : {cancel_, later_, download_, done_}) {
    buttons->addWidget(button);
  }
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(later_, &QPushButton::clicked, this, &QDialog::reject);
  connect(done_, &QPushButton::clicked, this, &QDialog::accept);
  connect(download_, &QPushButton::clicked, this, &UpdateDialog::downloadRequested);
}

void UpdateDialog::showChecking() {
  present(QStringLiteral("Checking for updates\u2026"), Buttons::cancel);
}

void UpdateDialog::showUpToDate(const QString &currentVersion) {
  present(QStringLiteral("You\u2019re up to date: Tarnik %1 is the newest version.")
              .arg(currentVersion),
          Buttons::done);
}

void UpdateDialog::showAvailable(const QString &version, const QString &currentVersion) {
  present(QStringLiteral("Tarnik %1 is available. You have %2.\n\nDownload it to your downloads "
                         "folder? It will be checked and saved there, not opened.")
              .arg(version, currentVersion),
          Buttons::downloadOrLater);
}

void UpdateDialog::showDownloading(const QString &version) {
  present(QStringLiteral("Downloading Tarnik %1\u2026").arg(version), Buttons::cancel);
}

void UpdateDialog::showVerifying() {
  present(QStringLiteral("Checking the download\u2019s signature\u2026"), Buttons::cancel);
}

void UpdateDialog::showSaved(const QString &path) {
  present(
      QStringLiteral("The update was saved as \u201c%1\u201d. It has not been opened; install it "
                     "from there when you are ready.")
          .arg(QDir::toNativeSeparators(path)),
      Buttons::done);
}

void UpdateDialog::showFailure(const QString &text) { present(text, Buttons::done); }

void UpdateDialog::present(const QString &text, Buttons buttons) {
  message_->setText(text);
  cancel_->setVisible(buttons == Buttons::cancel);
  later_->setVisible(buttons == Buttons::downloadOrLater);
  download_->setVisible(buttons == Buttons::downloadOrLater);
  done_->setVisible(buttons == Buttons::done);
  download_->setDefault(buttons == Buttons::downloadOrLater);
  done_->setDefault(buttons == Buttons::done);
  QDialog::show();
}

}  // namespace tarnik
