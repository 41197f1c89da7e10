#include "screens/live/SceneBreakSheet.h"

#include "app/AppViewModel.h"
#include "screens/kit/ConsoleTextField.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/live/CueSheetLayout.h"
#include "screens/live/CuesPageRules.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tarnik {

SceneBreakSheet::SceneBreakSheet(AppViewModel &app, const SceneBreakEditor &editor, QWidget *parent)
    : QDialog(parent),
      app_(app),
      number_(cueSheetField(tr("Cue Number"), u"cues.breakerSheet.number"_s)),
      label_(cueSheetField<ConsoleTextField>(tr("Label"), u"cues.breakerSheet.label"_s)) {
  setObjectName(u"cues.breakerSheet"_s);
  number_->setText(sceneBreakStartNumber(editor));
  // A rename keeps its cue: the breaker is that cue's scene text. The field is off, so the
  // focus starts in the label, the one thing a rename changes.
  const bool renaming = std::holds_alternative<SceneBreakEditor::Rename>(editor.edit);
  number_->setReadOnly(renaming);
  number_->setEnabled(!renaming);
  label_->setWholeText(sceneBreakStartLabel(editor));
  confirm_ =
      buildCueSheet(*this, {.title = sceneBreakSheetTitle(editor),
                            .sectionTitle = tr("Breaker"),
                            .fields = {number_, label_},
                            .note = tr("The breaker will sit above this cue in the cue list."),
                            .confirmTitle = sceneBreakConfirmTitle(editor),
                            .confirmName = u"cues.breakerSheet.confirm"_s});
  connect(confirm_, &QPushButton::clicked, this, &SceneBreakSheet::save);
  const auto updateConfirm = [this] { confirm_->setEnabled(confirmAllowed()); };
  connect(number_, &QLineEdit::textChanged, this, updateConfirm);
  connect(label_, &QLineEdit::textChanged, this, updateConfirm);
  auto *refresh = new ScreenRefresh(this, updateConfirm);
  refresh->observe(app_);
  refresh->redrawNow();
}

bool SceneBreakSheet::confirmAllowed() const {
  return sceneBreakConfirmEnabled(number_->text(), label_->wholeText(), app_.canControlFixtures());
}

void SceneBreakSheet::save() {
  if (!confirmAllowed()) return;
  app_.setCueScene(number_->text(), label_->wholeText(), 1);
  accept();
}

}  // namespace tarnik
