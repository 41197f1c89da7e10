#include "screens/connection/UpdatesPage.h"

#include "screens/connection/UpdateChecker.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/TitledSection.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik {

UpdatesPage::UpdatesPage(UpdateChecker &updater, QWidget *parent)
    : QWidget(parent),
      status_(plainLabel({}, QStringLiteral("updates.status"))),
      check_(new QPushButton) {
  auto *section = new TitledSection(QStringLiteral("Tarnik for Mac"));
  auto *introduction = new QLabel(QStringLiteral(
      "Install Tarnik from its download, then use Check for Updates here for future releases."));
  introduction->setWordWrap(true);

  status_->setWordWrap(true);
  status_->setForegroundRole(QPalette::PlaceholderText);

  check_->setObjectName(QStringLiteral("updates.check"));
  check_->setText(QStringLiteral("Check for Updates\u2026"));

  auto *sectionLayout = new QVBoxLayout(section);
  sectionLayout->addWidget(introduction);
  sectionLayout->addWidget(status_);
  sectionLayout->addWidget(check_, 0, Qt::AlignLeft);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(section);
  layout->addStretch();

  const auto showStatus = [this, &updater] { status_->setText(updater.status()); };
  const auto showCanCheck = [this, &updater] { check_->setEnabled(updater.canCheckForUpdates()); };
  showStatus();
  showCanCheck();
  connect(&updater, &UpdateChecker::statusChanged, this, showStatus);
  connect(&updater, &UpdateChecker::canCheckForUpdatesChanged, this, showCanCheck);
  connect(check_, &QPushButton::clicked, &updater, &UpdateChecker::checkForUpdates);
}

}  // namespace tarnik
