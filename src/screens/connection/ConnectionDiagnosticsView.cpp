#include "screens/connection/ConnectionDiagnosticsView.h"

#include "app/AppViewModel.h"
#include "screens/connection/ConnectionDiagnosticsContent.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tarnik {

ConnectionDiagnosticsView::ConnectionDiagnosticsView(AppViewModel &model, QWidget *parent)
    : QWidget(parent) {
  const QString title = QStringLiteral("Connection Diagnostics");
  setWindowTitle(title);
  auto *heading = new QLabel(title);
  QFont headingFont = heading->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
  heading->setFont(headingFont);

  auto *buttons = new QDialogButtonBox;
  QPushButton *done = buttons->addButton(QStringLiteral("Done"), QDialogButtonBox::AcceptRole);
  done->setObjectName(QStringLiteral("diagnostics.done"));
  connect(done, &QPushButton::clicked, this, &ConnectionDiagnosticsView::doneRequested);

  auto *scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(new ConnectionDiagnosticsContent(model, *model.oscManager()));

  auto *top = new QHBoxLayout;
  top->addWidget(heading);
  top->addStretch();
  top->addWidget(buttons);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(scroll);
}

}  // namespace tarnik
