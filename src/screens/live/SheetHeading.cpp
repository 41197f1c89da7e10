#include "screens/live/SheetHeading.h"

#include "screens/kit/PlainLabel.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace tarnik {

void addSheetHeading(QDialog &sheet, QBoxLayout &layout, const QString &title,
                     const QString &name) {
  sheet.setWindowTitle(title);
  QLabel *heading = plainLabel(title);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  heading->setFont(font);
  auto *done = new QPushButton(QCoreApplication::translate("LiveView", "Done"));
  done->setObjectName(name + QStringLiteral(".done"));
  done->setDefault(true);
  QObject::connect(done, &QPushButton::clicked, &sheet, &QDialog::accept);
  auto *top = new QHBoxLayout;
  top->addWidget(heading);
  top->addStretch();
  top->addWidget(done);
  layout.addLayout(top);
}

}  // namespace tarnik
