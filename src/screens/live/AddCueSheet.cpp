#include "screens/live/AddCueSheet.h"

#include "app/AppViewModel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/live/CueSheetLayout.h"
#include "screens/live/CuesPageRules.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tarnik {

AddCueSheet::AddCueSheet(AppViewModel &app, QWidget *parent)
    : QDialog(parent),
      app_(app),
      number_(cueSheetField(tr("Cue Number"), u"cues.recordSheet.number"_s)),
      label_(cueSheetField(tr("Label"), u"cues.recordSheet.label"_s)),
      time_(cueSheetField(tr("Time"), u"cues.recordSheet.time"_s)) {
  setObjectName(u"cues.recordSheet"_s);
  confirm_ = buildCueSheet(
      *this, {.title = tr("Record Cue"),
              .sectionTitle = tr("Cue"),
              .fields = {number_, label_, time_},
              .note = tr("This records the current stage look into the cue number you enter, "
                         "then refreshes the cue list from Eos."),
              .confirmTitle = tr("Record"),
              .confirmName = u"cues.recordSheet.confirm"_s});
  connect(confirm_, &QPushButton::clicked, this, &AddCueSheet::record);
  connect(number_, &QLineEdit::textChanged, this, &AddCueSheet::updateConfirm);
  auto *refresh = new ScreenRefresh(this, [this] { updateConfirm(); });
  refresh->observe(app_);
  refresh->redrawNow();
}

void AddCueSheet::updateConfirm() {
  confirm_->setEnabled(recordCueEnabled(number_->text(), app_.isConsoleReachable()));
}

void AddCueSheet::record() {
  // A gate that closed since the last redraw still holds.
  if (!recordCueEnabled(number_->text(), app_.isConsoleReachable())) return;
  app_.recordCue(number_->text(), label_->text(), time_->text());
  accept();
}

}  // namespace tarnik
