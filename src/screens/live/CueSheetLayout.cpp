#include "screens/live/CueSheetLayout.h"

#include "screens/kit/PlainLabel.h"
#include "screens/live/CueStyle.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik {

namespace {

// The dialog would take Return or Enter in a field as a press of its default button and close
// the sheet with what was typed; in a field of these sheets the key does nothing.
class FieldReturnKeys final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
  }
};

}  // namespace

QPushButton *buildCueSheet(QDialog &sheet, const CueSheetForm &form) {
  sheet.setWindowTitle(form.title);
  sheet.setWindowModality(Qt::WindowModal);
  auto *title = plainLabel(form.title);
  title->setFont(cueFont(sheet.font(), CueTextStyle::title3, true));
  auto *section = plainLabel(form.sectionTitle);
  section->setFont(cueFont(sheet.font(), CueTextStyle::subheadline, true));
  auto *note = plainLabel(form.note);
  note->setWordWrap(true);
  note->setFont(cueFont(sheet.font(), CueTextStyle::caption));
  note->setForegroundRole(QPalette::PlaceholderText);

  auto *buttons = new QDialogButtonBox;
  buttons->addButton(QDialogButtonBox::Cancel);
  QPushButton *confirm = buttons->addButton(form.confirmTitle, QDialogButtonBox::AcceptRole);
  confirm->setObjectName(form.confirmName);
  confirm->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);

  auto *layout = new QVBoxLayout(&sheet);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->setSpacing(10);
  layout->addWidget(title);
  layout->addSpacing(6);
  layout->addWidget(section);
  auto *returnKeys = new FieldReturnKeys(&sheet);
  for (QLineEdit *field : form.fields) {
    field->installEventFilter(returnKeys);
    layout->addWidget(field);
  }
  layout->addSpacing(6);
  layout->addWidget(note);
  layout->addStretch(1);
  layout->addWidget(buttons);
  sheet.setMinimumWidth(360);
  return confirm;
}

}  // namespace tarnik
