#pragma once

#include "screens/patch/PatchCatalogSheet.h"
#include "screens/patch/PatchDraftPlanning.h"
#include "screens/patch/PatchEditorDraft.h"
#include "screens/patch/PatchEditorRules.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QAbstractButton;
class QCheckBox;
class QFormLayout;
class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;

namespace tarnik {

class AppViewModel;
class ConsoleTextField;
class PatchIntegerField;
class PatchNoteLabel;
class PatchNoteList;
class TitledSection;

// The patch editor: one patch request as a form, tested against the mirrored patch as it is
// typed, handed to the model on "Patch" or "Apply", and followed through the model's write
// state until Eos confirms it. It never talks to the console itself.
//
// A window-modal sheet, a new one per opening and gone once closed. While a write is
// checking, sending or verifying, the form and "Cancel" are disabled and neither Escape nor
// the window's close button closes it. It has no default button: Return in a field does
// nothing beyond the field.
//
// Names: "patch.editor", "patch.cancel", "patch.submit", "patch.done", "patch.busy",
// "patch.operation." + the operation's raw value, "patch.fixture.choose",
// "patch.channelStart", "patch.includesChannelThru", "patch.label", "patch.universe",
// "patch.addressStart", "patch.includesAddressThru", "patch.replaceExisting", the issue rows
// "patch.issues", the sections
// "patch.section." + fixtureMode, channel, address, existingPatch, review, issues,
// unavailable and status, and in the status "patch.submission.confirmed",
// "patch.submission.failed" and its buttons "patch.submission.done", ".sync", ".close",
// ".review". The replacement question is "patch.replacementConfirmation".
class PatchEditorView : public QDialog {
  Q_OBJECT

 public:
  // No channel: a new patch. A channel: that channel's patch, to edit or replace. The
  // planner plans the draft against the published patch (none: the model's).
  PatchEditorView(AppViewModel &app, std::optional<Channel> existingChannel,
                  FixtureCatalogBrowserFactory makeCatalogBrowser, QWidget *parent = nullptr,
                  PatchDraftPlanning::Planner planner = {});

  // Refused while a write is under way.
  void reject() override;

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  QWidget *makeHeader();
  QWidget *makeOperationSection();
  QWidget *makeFixtureSection();
  QWidget *makeChannelSection();
  QWidget *makeAddressSection();
  QWidget *makeExistingPatchSection();
  QWidget *makeReviewSection();
  QWidget *makeStatusSection();
  TitledSection *makeSection(const QString &name, const QString &header);

  // What the form shows of the model, read at once.
  struct ModelReading {
    PatchEditorSituation situation;
    std::optional<QString> libraryVersion;
    bool isLoadingPatch = false;
    friend bool operator==(const ModelReading &, const ModelReading &) = default;
  };
  ModelReading readModel();
  // After the editor's own changes: the whole form.
  void redraw();
  // After the model's announcements: the form only when what it shows of the model changed,
  // since most of them (traffic counters, pings) change nothing here.
  void redrawForModel();
  void draw(const ModelReading &reading);
  void redrawOperations();
  void redrawFixture();
  void redrawFields();
  void redrawReview();
  void redrawIssues();
  void redrawStatus();
  void submit();
  void confirmReplacement();
  void chooseFixture();
  void reviewAgain();
  bool isWriteUnderWay() const;

  AppViewModel &app_;
  const std::optional<Channel> existingChannel_;
  const FixtureCatalogBrowserFactory makeCatalogBrowser_;
  PatchEditorForm form_;
  bool hasSubmitted_ = false;
  bool hasComeOnScreen_ = false;
  PatchDraftPlanning planning_;
  // Worked out at each redraw from the kept plan, and read by every section.
  PatchEditorSituation situation_;
  std::optional<ModelReading> drawn_;

  QWidget *formArea_ = nullptr;
  QPushButton *cancel_ = nullptr;
  QPushButton *submit_ = nullptr;
  QPushButton *done_ = nullptr;
  QProgressBar *busy_ = nullptr;
  QList<QAbstractButton *> operationRows_;
  QList<QLabel *> operationChecks_;
  TitledSection *fixtureSection_ = nullptr;
  QPushButton *chooseFixture_ = nullptr;
  QList<QLabel *> fixtureLines_;
  PatchNoteLabel *libraryNote_ = nullptr;
  QFormLayout *channelRows_ = nullptr;
  PatchIntegerField *channelStart_ = nullptr;
  QCheckBox *includesChannelThru_ = nullptr;
  PatchIntegerField *channelThru_ = nullptr;
  ConsoleTextField *label_ = nullptr;
  QFormLayout *addressRows_ = nullptr;
  PatchIntegerField *universe_ = nullptr;
  PatchIntegerField *addressStart_ = nullptr;
  QCheckBox *includesAddressThru_ = nullptr;
  PatchIntegerField *addressThru_ = nullptr;
  QLabel *modeFootprint_ = nullptr;
  QLabel *occupiedSpan_ = nullptr;
  TitledSection *existingSection_ = nullptr;
  QCheckBox *replaceExisting_ = nullptr;
  TitledSection *reviewSection_ = nullptr;
  QFormLayout *reviewRows_ = nullptr;
  QLabel *reviewOperation_ = nullptr;
  QLabel *reviewCount_ = nullptr;
  QLabel *reviewMore_ = nullptr;
  QLabel *reviewSummary_ = nullptr;
  QList<std::pair<QLabel *, QLabel *>> reviewPartRows_;
  TitledSection *issuesSection_ = nullptr;
  PatchNoteList *issueRows_ = nullptr;
  TitledSection *unavailableSection_ = nullptr;
  PatchNoteLabel *unavailableNote_ = nullptr;
  TitledSection *statusSection_ = nullptr;
  QWidget *statusProgress_ = nullptr;
  QLabel *statusProgressText_ = nullptr;
  PatchNoteLabel *statusResult_ = nullptr;
  QLabel *statusNote_ = nullptr;
  QPushButton *statusDone_ = nullptr;
  QPushButton *statusSync_ = nullptr;
  QPushButton *statusClose_ = nullptr;
  QPushButton *statusReview_ = nullptr;
  QPointer<QMessageBox> replacementQuestion_;
};

// Opens the editor as a sheet over `over`: for a new patch (the list's add button) or for
// a channel's patch. Without a catalog browser the fixture-mode button stays disabled.
PatchEditorView *openPatchEditor(AppViewModel &app, std::optional<Channel> existingChannel,
                                 QWidget *over, FixtureCatalogBrowserFactory makeCatalogBrowser);

// "Edit Patch" of a channel's page: the editor for that channel, as a sheet over the page.
inline PatchEditorView *openPatchChannelSheet(AppViewModel &app, const Channel &channel,
                                              QWidget *over,
                                              FixtureCatalogBrowserFactory makeCatalogBrowser) {
  return openPatchEditor(app, channel, over, std::move(makeCatalogBrowser));
}

}  // namespace tarnik
