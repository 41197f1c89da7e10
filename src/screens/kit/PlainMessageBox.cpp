#include "screens/kit/PlainMessageBox.h"

#include <QLabel>
#include <QMessageBox>

namespace tarnik {

QMessageBox *plainMessageBox(QWidget *parent, const QString &name, const QString &title,
                             const QString &message) {
  auto *box = new QMessageBox(parent);
  box->setObjectName(name);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  setPlainAlertTexts(*box, title, message);
  return box;
}

void setPlainAlertTexts(QMessageBox &box, const QString &title, const QString &message) {
  box.setTextFormat(Qt::PlainText);
  box.setWindowTitle(title);
  box.setText(title);
  box.setInformativeText(message);
  // The message box reads its informative text as markup unless its label is told not to.
  if (auto *informative = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
    informative->setTextFormat(Qt::PlainText);
  }
}

}  // namespace tarnik
