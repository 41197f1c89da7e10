#include "screens/patch/PatchEditorView.h"

#include "app/AppViewModel.h"
#include "screens/kit/ConsoleTextField.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/PlainMessageBox.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/kit/TitledSection.h"
#include "screens/patch/PatchEditorSections.h"
#include "screens/patch/PatchIntegerField.h"
#include "screens/patch/PatchNoteLabel.h"
#include "screens/patch/PatchNoteList.h"
#include "screens/patch/PatchSubmissionStatus.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr int operationSymbolSize = 20;

QLabel *secondaryLabel(const QString &text = {}, double scale = 0.9) {
  QLabel *label = plainLabel(text);
  label->setWordWrap(true);
  label->setForegroundRole(QPalette::PlaceholderText);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * scale);
  label->setFont(font);
  return label;
}

// Labels drawn inside a button leave its clicks to the button.
void passClicksThrough(QWidget &widget) { widget.setAttribute(Qt::WA_TransparentForMouseEvents); }

QProgressBar *busyIndicator(const QString &name) {
  auto *busy = new QProgressBar;
  busy->setObjectName(name);
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  busy->setFixedSize(48, 10);
  busy->setAccessibleName(u"In progress"_s);
  return busy;
}

QPushButton *rowButton(const QString &name) {
  auto *button = new QPushButton;
  button->setObjectName(name);
  button->setFlat(true);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  return button;
}

// A start field's row label, placeholder and accessible name change together.
void retitle(QFormLayout &rows, PatchIntegerField &field, const QString &title) {
  qobject_cast<QLabel *>(rows.labelForField(&field))->setText(title);
  field.setTitle(title);
}

// A flat button's size hint ignores the rows inside it.
void fitToContent(QPushButton &button) {
  button.setMinimumHeight(button.layout()->sizeHint().height());
}

}  // namespace

PatchEditorView::PatchEditorView(AppViewModel &app, std::optional<Channel> existingChannel,
                                 FixtureCatalogBrowserFactory makeCatalogBrowser, QWidget *parent,
                                 PatchDraftPlanning::Planner planner)
    : QDialog(parent),
      app_(app),
      existingChannel_(std::move(existingChannel)),
      makeCatalogBrowser_(std::move(makeCatalogBrowser)),
      form_(initialPatchEditorForm(existingChannel_)),
      planning_(planner ? std::move(planner)
                        : [&app](const PatchDraft &draft) { return app.planPatch(draft); }) {
  setObjectName(u"patch.editor"_s);
  const QString title = existingChannel_ ? u"Edit Patch"_s : u"Add Patch"_s;
  setWindowTitle(title);
  resize(520, 720);

  formArea_ = new QWidget;
  auto *sections = new QVBoxLayout(formArea_);
  sections->setSpacing(10);
  sections->addWidget(makeOperationSection());
  sections->addWidget(makeFixtureSection());
  sections->addWidget(makeChannelSection());
  sections->addWidget(makeAddressSection());
  sections->addWidget(makeExistingPatchSection());
  sections->addWidget(makeReviewSection());
  issuesSection_ = makeSection(u"issues"_s, u"Resolve Before Patching"_s);
  issueRows_ = new PatchNoteList(u"patch.issues"_s);
  (new QVBoxLayout(issuesSection_))->addWidget(issueRows_);
  sections->addWidget(issuesSection_);
  unavailableSection_ = makeSection(u"unavailable"_s, u"Patching Unavailable"_s);
  unavailableNote_ = new PatchNoteLabel(u"patch.unavailableReason"_s);
  (new QVBoxLayout(unavailableSection_))->addWidget(unavailableNote_);
  sections->addWidget(unavailableSection_);
  sections->addWidget(makeStatusSection());
  sections->addStretch();

  auto *scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(formArea_);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(makeHeader());
  layout->addWidget(scroll, 1);

  // Return in a field does nothing beyond the field: a dialog presses its default button on
  // Return, and a button that once had the focus would become that default, so none may.
  // "Patch" as the default would let two Returns send a replacement.
  for (QPushButton *button : findChildren<QPushButton *>()) button->setAutoDefault(false);

  // Every other announcement of the model (traffic, pings) leaves the kept plan as it is.
  connect(&app_, &AppViewModel::channelsChanged, this, [this] { planning_.patchChanged(); });
  auto *refresh = new ScreenRefresh(this, [this] { redrawForModel(); });
  refresh->observe(app_);
  refresh->observe(app_.fixtureCatalog());
  refresh->redrawNow();
}

QWidget *PatchEditorView::makeHeader() {
  auto *header = new QWidget;
  header->setObjectName(u"patch.editorHeader"_s);
  cancel_ = new QPushButton(u"Cancel"_s);
  cancel_->setObjectName(u"patch.cancel"_s);
  connect(cancel_, &QPushButton::clicked, this, &PatchEditorView::reject);
  QLabel *title = plainLabel(windowTitle());
  title->setObjectName(u"patch.editorTitle"_s);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  title->setAlignment(Qt::AlignCenter);
  submit_ = new QPushButton(patchSubmitTitle(existingChannel_.has_value()));
  submit_->setObjectName(u"patch.submit"_s);
  connect(submit_, &QPushButton::clicked, this, &PatchEditorView::submit);
  done_ = new QPushButton(u"Done"_s);
  done_->setObjectName(u"patch.done"_s);
  connect(done_, &QPushButton::clicked, this, &PatchEditorView::accept);
  busy_ = busyIndicator(u"patch.busy"_s);

  auto *layout = new QHBoxLayout(header);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->addWidget(cancel_);
  layout->addWidget(title, 1);
  layout->addWidget(busy_);
  layout->addWidget(submit_);
  layout->addWidget(done_);
  return header;
}

TitledSection *PatchEditorView::makeSection(const QString &name, const QString &header) {
  return new TitledSection(header, u"patch.section."_s + name);
}

QWidget *PatchEditorView::makeOperationSection() {
  TitledSection *section = makeSection(u"operation"_s, u"Patch Type"_s);
  auto *rows = new QVBoxLayout(section);
  rows->setSpacing(2);
  const QColor blue = Style::light(Style::Role::accent);
  for (const PatchOperation operation : allCases(PatchOperation{})) {
    const PatchOperationRow content = patchOperationRow(operation);
    QPushButton *row = rowButton(u"patch.operation."_s + rawValue(operation));
    row->setCheckable(true);
    row->setAccessibleName(content.title);
    row->setAccessibleDescription(content.description);
    auto *symbol = new QLabel;
    symbol->setPixmap(symbolPixmap(content.symbolName, blue, operationSymbolSize));
    symbol->setFixedWidth(24);
    symbol->setAlignment(Qt::AlignCenter);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(plainLabel(content.title));
    texts->addWidget(secondaryLabel(content.description));
    auto *check = new QLabel;
    check->setPixmap(symbolPixmap(u"checkmark"_s, blue, 16));
    check->setFixedWidth(18);
    // The check holds its place when hidden, so the rows do not shift.
    QSizePolicy keepsPlace = check->sizePolicy();
    keepsPlace.setRetainSizeWhenHidden(true);
    check->setSizePolicy(keepsPlace);
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(6, 6, 6, 6);
    line->setSpacing(12);
    line->addWidget(symbol);
    line->addLayout(texts, 1);
    line->addSpacing(8);
    line->addWidget(check);
    for (QLabel *label : row->findChildren<QLabel *>()) passClicksThrough(*label);
    fitToContent(*row);
    connect(row, &QPushButton::clicked, this, [this, operation] {
      chooseOperation(form_, operation);
      // Fixture patching compares the console's library with the bundled one, which is
      // decoded only on demand; until it is, the editor says it is checking.
      if (operation == PatchOperation::fixture)
        app_.fixtureCatalog().loadIfNeeded(CatalogResourceLocator::standard());
      redraw();
    });
    operationRows_.append(row);
    operationChecks_.append(check);
    rows->addWidget(row);
  }
  return section;
}

QWidget *PatchEditorView::makeFixtureSection() {
  fixtureSection_ = makeSection(u"fixtureMode"_s, u"Fixture Mode"_s);
  chooseFixture_ = rowButton(u"patch.fixture.choose"_s);
  chooseFixture_->setEnabled(static_cast<bool>(makeCatalogBrowser_));
  auto *lines = new QVBoxLayout;
  lines->setSpacing(4);
  for (int line = 0; line < 3; ++line) {
    QLabel *label = line == 0 ? plainLabel() : secondaryLabel({}, line == 1 ? 0.95 : 0.9);
    label->setWordWrap(true);
    label->setObjectName(u"patch.fixture.line"_s + QString::number(line + 1));
    fixtureLines_.append(label);
    lines->addWidget(label);
  }
  auto *chevron = new QLabel;
  chevron->setPixmap(
      symbolPixmap(u"chevron.right"_s, palette().color(QPalette::PlaceholderText), 12));
  auto *row = new QHBoxLayout(chooseFixture_);
  row->setContentsMargins(6, 6, 6, 6);
  row->setSpacing(12);
  row->addLayout(lines, 1);
  row->addSpacing(8);
  row->addWidget(chevron);
  for (QLabel *label : chooseFixture_->findChildren<QLabel *>()) passClicksThrough(*label);
  connect(chooseFixture_, &QPushButton::clicked, this, &PatchEditorView::chooseFixture);
  libraryNote_ = new PatchNoteLabel(u"patch.fixture.libraryNote"_s);
  auto *rows = new QVBoxLayout(fixtureSection_);
  rows->addWidget(chooseFixture_);
  rows->addWidget(libraryNote_);
  return fixtureSection_;
}

QWidget *PatchEditorView::makeChannelSection() {
  TitledSection *section = makeSection(u"channel"_s, u"Channel"_s);
  channelRows_ = new QFormLayout(section);
  channelStart_ = new PatchIntegerField(channelStartTitle(form_.draft.operation),
                                        [this](std::optional<qint64> value) {
                                          form_.draft.channelStart = value;
                                          redraw();
                                        });
  channelStart_->setObjectName(u"patch.channelStart"_s);
  includesChannelThru_ = new QCheckBox(u"Add channel thru"_s);
  includesChannelThru_->setObjectName(u"patch.includesChannelThru"_s);
  connect(includesChannelThru_, &QCheckBox::clicked, this, [this](bool on) {
    setIncludesChannelThru(form_, on);
    redraw();
  });
  channelThru_ = new PatchIntegerField(u"Channel thru"_s, [this](std::optional<qint64> value) {
    form_.draft.channelThru = value;
    redraw();
  });
  label_ = new ConsoleTextField;
  label_->setObjectName(u"patch.label"_s);
  label_->setPlaceholderText(u"Label (optional)"_s);
  label_->setAccessibleName(u"Label (optional)"_s);
  connect(label_, &QLineEdit::textEdited, this, [this] {
    form_.draft.label = label_->wholeText();
    redraw();
  });
  channelRows_->addRow(channelStartTitle(form_.draft.operation), channelStart_);
  channelRows_->addRow(includesChannelThru_);
  channelRows_->addRow(u"Channel thru"_s, channelThru_);
  channelRows_->addRow(u"Label"_s, label_);
  return section;
}

QWidget *PatchEditorView::makeAddressSection() {
  TitledSection *section = makeSection(u"address"_s, u"Address"_s);
  addressRows_ = new QFormLayout(section);
  universe_ = new PatchIntegerField(u"Universe"_s, [this](std::optional<qint64> value) {
    form_.draft.universe = value;
    redraw();
  });
  universe_->setObjectName(u"patch.universe"_s);
  addressStart_ = new PatchIntegerField(addressStartTitle(form_.draft.operation),
                                        [this](std::optional<qint64> value) {
                                          form_.draft.addressStart = value;
                                          redraw();
                                        });
  addressStart_->setObjectName(u"patch.addressStart"_s);
  includesAddressThru_ = new QCheckBox(u"Add DMX thru address"_s);
  includesAddressThru_->setObjectName(u"patch.includesAddressThru"_s);
  connect(includesAddressThru_, &QCheckBox::clicked, this, [this](bool on) {
    setIncludesAddressThru(form_, on);
    redraw();
  });
  addressThru_ = new PatchIntegerField(u"DMX thru address"_s, [this](std::optional<qint64> value) {
    form_.draft.addressThru = value;
    redraw();
  });
  modeFootprint_ = plainLabel();
  modeFootprint_->setObjectName(u"patch.modeFootprint"_s);
  occupiedSpan_ = plainLabel();
  occupiedSpan_->setObjectName(u"patch.occupiedSpan"_s);
  addressRows_->addRow(u"Universe"_s, universe_);
  addressRows_->addRow(secondaryLabel(u"Use a universe from 1 to 63,999."_s));
  addressRows_->addRow(addressStartTitle(form_.draft.operation), addressStart_);
  addressRows_->addRow(includesAddressThru_);
  addressRows_->addRow(u"DMX thru address"_s, addressThru_);
  addressRows_->addRow(u"Mode footprint"_s, modeFootprint_);
  addressRows_->addRow(u"Occupied DMX span"_s, occupiedSpan_);
  return section;
}

QWidget *PatchEditorView::makeExistingPatchSection() {
  existingSection_ = makeSection(u"existingPatch"_s, u"Existing Patch"_s);
  auto *rows = new QVBoxLayout(existingSection_);
  if (!existingChannel_) return existingSection_;
  const ExistingPatchContent content = existingPatchContent(*existingChannel_);
  if (content.missingParts) {
    auto *note = new PatchNoteLabel(u"patch.existingPatchNote"_s);
    note->setNote(*content.missingParts);
    rows->addWidget(note);
    return existingSection_;
  }
  replaceExisting_ = new QCheckBox(content.replaceTitle);
  replaceExisting_->setObjectName(u"patch.replaceExisting"_s);
  connect(replaceExisting_, &QCheckBox::clicked, this, [this](bool on) {
    setReplacesExistingParts(form_, *existingChannel_, on);
    redraw();
  });
  rows->addWidget(replaceExisting_);
  rows->addWidget(secondaryLabel(content.replacementNote));
  return existingSection_;
}

QWidget *PatchEditorView::makeReviewSection() {
  reviewSection_ = makeSection(u"review"_s, u"Review"_s);
  auto *layout = new QVBoxLayout(reviewSection_);
  reviewRows_ = new QFormLayout;
  reviewRows_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  reviewOperation_ = plainLabel();
  reviewOperation_->setObjectName(u"patch.review.operation"_s);
  reviewCount_ = plainLabel();
  reviewCount_->setObjectName(u"patch.review.plannedParts"_s);
  reviewRows_->addRow(u"Operation"_s, reviewOperation_);
  reviewRows_->addRow(u"Planned parts"_s, reviewCount_);
  QFont semibold = font();
  semibold.setWeight(QFont::DemiBold);
  for (qsizetype row = 0; row < reviewRowLimit; ++row) {
    QLabel *title = plainLabel();
    QLabel *range = plainLabel();
    range->setFont(semibold);
    range->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    range->setObjectName(u"patch.review.part"_s + QString::number(row + 1));
    reviewRows_->addRow(title, range);
    reviewPartRows_.append(std::pair(title, range));
  }
  reviewMore_ = secondaryLabel();
  reviewMore_->setObjectName(u"patch.review.more"_s);
  reviewSummary_ = secondaryLabel();
  reviewSummary_->setObjectName(u"patch.review.summary"_s);
  layout->addLayout(reviewRows_);
  layout->addWidget(reviewMore_);
  layout->addWidget(reviewSummary_);
  return reviewSection_;
}

QWidget *PatchEditorView::makeStatusSection() {
  statusSection_ = makeSection(u"status"_s, u"Status"_s);
  statusProgress_ = new QWidget;
  statusProgressText_ = secondaryLabel({}, 1.0);
  statusProgressText_->setObjectName(u"patch.submission.progress"_s);
  auto *progress = new QHBoxLayout(statusProgress_);
  progress->setContentsMargins(0, 0, 0, 0);
  progress->setSpacing(12);
  progress->addWidget(busyIndicator(u"patch.submission.busy"_s));
  progress->addWidget(statusProgressText_, 1);
  statusResult_ = new PatchNoteLabel;
  statusNote_ = secondaryLabel();
  statusNote_->setObjectName(u"patch.submission.note"_s);
  statusDone_ = new QPushButton(u"Done"_s);
  statusDone_->setObjectName(u"patch.submission.done"_s);
  connect(statusDone_, &QPushButton::clicked, this, &PatchEditorView::accept);
  statusSync_ = new QPushButton(u"Sync Current Patch"_s);
  statusSync_->setObjectName(u"patch.submission.sync"_s);
  connect(statusSync_, &QPushButton::clicked, this,
          [this] { app_.requestFullSync(u"Patch refresh"_s); });
  statusClose_ = new QPushButton(u"Close and Inspect Patch"_s);
  statusClose_->setObjectName(u"patch.submission.close"_s);
  connect(statusClose_, &QPushButton::clicked, this, &PatchEditorView::accept);
  statusReview_ = new QPushButton(u"Review and Try Again"_s);
  statusReview_->setObjectName(u"patch.submission.review"_s);
  connect(statusReview_, &QPushButton::clicked, this, &PatchEditorView::reviewAgain);

  auto *rows = new QVBoxLayout(statusSection_);
  rows->addWidget(statusProgress_);
  rows->addWidget(statusResult_);
  rows->addWidget(statusNote_);
  for (QPushButton *button : {statusDone_, statusSync_, statusClose_, statusReview_})
    rows->addWidget(button, 0, Qt::AlignLeft);
  return statusSection_;
}

bool PatchEditorView::isWriteUnderWay() const { return app_.patchSubmissionState().isInProgress(); }

PatchEditorView::ModelReading PatchEditorView::readModel() {
  const PatchPlan &plan = planning_.plan(form_.draft);
  return {
      .situation =
          {
              .plan = plan,
              .unavailabilityReason = app_.patchAuthoringAvailability(form_.draft, plan),
              .submission = app_.patchSubmissionState(),
              .hasSubmitted = hasSubmitted_,
              .isEditingChannel = existingChannel_.has_value(),
              .isFixtureOperation = form_.draft.operation == PatchOperation::fixture,
          },
      .libraryVersion = app_.eosFixtureLibraryVersion(),
      .isLoadingPatch = app_.isLoadingPatch(),
  };
}

void PatchEditorView::redraw() { draw(readModel()); }

void PatchEditorView::redrawForModel() {
  const ModelReading reading = readModel();
  if (reading == drawn_) return;
  draw(reading);
}

void PatchEditorView::draw(const ModelReading &reading) {
  drawn_ = reading;
  situation_ = reading.situation;
  const PatchEditorSectionsShown shown = patchEditorSectionsShown(situation_);
  const bool underWay = situation_.submission.isInProgress();
  formArea_->setEnabled(!underWay);
  cancel_->setEnabled(!underWay);
  const PatchConfirmAction action = patchConfirmAction(situation_);
  done_->setVisible(action == PatchConfirmAction::done);
  busy_->setVisible(action == PatchConfirmAction::busy);
  submit_->setVisible(action == PatchConfirmAction::submit);
  submit_->setEnabled(situation_.canSubmit());

  redrawOperations();
  fixtureSection_->setVisible(shown.fixtureMode);
  if (shown.fixtureMode) redrawFixture();
  redrawFields();
  existingSection_->setVisible(shown.existingPatch);
  reviewSection_->setVisible(shown.review);
  if (shown.review) redrawReview();
  issuesSection_->setVisible(shown.issues);
  if (shown.issues) redrawIssues();
  unavailableSection_->setVisible(shown.unavailable);
  if (shown.unavailable) unavailableNote_->setNote({u"lock"_s, *situation_.unavailabilityReason});
  statusSection_->setVisible(shown.status);
  if (shown.status) redrawStatus();
}

void PatchEditorView::redrawOperations() {
  const auto operations = allCases(PatchOperation{});
  for (std::size_t index = 0; index < operations.size(); ++index) {
    const bool current = operations[index] == form_.draft.operation;
    operationRows_[qsizetype(index)]->setChecked(current);
    operationChecks_[qsizetype(index)]->setVisible(current);
  }
}

void PatchEditorView::redrawFixture() {
  const QStringList lines = fixtureChoiceLines(form_.draft.fixture);
  for (qsizetype line = 0; line < fixtureLines_.size(); ++line) {
    fixtureLines_[line]->setVisible(line < lines.size());
    if (line < lines.size()) fixtureLines_[line]->setText(lines[line]);
  }
  libraryNote_->setVisible(form_.draft.fixture.has_value());
  if (form_.draft.fixture)
    libraryNote_->setNote(libraryNote(drawn_->libraryVersion, form_.draft.fixture->version));
}

void PatchEditorView::redrawFields() {
  const PatchDraft &draft = form_.draft;
  const bool channelRange = draft.operation == PatchOperation::channelRange;
  retitle(*channelRows_, *channelStart_, channelStartTitle(draft.operation));
  channelStart_->showValue(draft.channelStart);
  channelRows_->setRowVisible(includesChannelThru_, channelRange);
  includesChannelThru_->setChecked(form_.includesChannelThru);
  channelRows_->setRowVisible(channelThru_, channelRange && form_.includesChannelThru);
  channelThru_->showValue(draft.channelThru);
  if (label_->wholeText() != draft.label) label_->setWholeText(draft.label);

  universe_->showValue(draft.universe);
  retitle(*addressRows_, *addressStart_, addressStartTitle(draft.operation));
  addressStart_->showValue(draft.addressStart);
  const bool dimmerRange = draft.operation == PatchOperation::dimmerAddressRange;
  addressRows_->setRowVisible(includesAddressThru_, dimmerRange);
  includesAddressThru_->setChecked(form_.includesAddressThru);
  addressRows_->setRowVisible(addressThru_, dimmerRange && form_.includesAddressThru);
  addressThru_->showValue(draft.addressThru);
  const std::optional<QString> footprint = modeFootprintText(draft);
  addressRows_->setRowVisible(modeFootprint_, footprint.has_value());
  modeFootprint_->setText(footprint.value_or(QString()));
  const std::optional<QString> span = occupiedSpanText(draft, situation_.plan);
  addressRows_->setRowVisible(occupiedSpan_, span.has_value());
  occupiedSpan_->setText(span.value_or(QString()));

  if (replaceExisting_) replaceExisting_->setChecked(!draft.partsToReplace.empty());
}

void PatchEditorView::redrawReview() {
  const PatchReviewContent review = patchReviewContent(form_.draft.operation, situation_.plan);
  reviewOperation_->setText(review.operationTitle);
  reviewCount_->setText(review.plannedPartCount);
  for (qsizetype row = 0; row < reviewPartRows_.size(); ++row) {
    const auto &[title, range] = reviewPartRows_[row];
    const bool used = row < review.rows.size();
    reviewRows_->setRowVisible(range, used);
    title->setText(used ? review.rows[row].title : QString());
    range->setText(used ? review.rows[row].range : QString());
  }
  reviewMore_->setVisible(review.morePartsText.has_value());
  reviewMore_->setText(review.morePartsText.value_or(QString()));
  reviewSummary_->setVisible(review.dimmerSummary.has_value());
  reviewSummary_->setText(review.dimmerSummary.value_or(QString()));
}

void PatchEditorView::redrawIssues() {
  const PatchIssueRows shown = patchIssueRows(situation_.plan.issues);
  issueRows_->setNotes(shown.rows, shown.moreIssuesText);
}

void PatchEditorView::redrawStatus() {
  const std::optional<PatchSubmissionStatus> status = patchSubmissionStatus(situation_.submission);
  if (!status) return;
  using Action = PatchSubmissionStatus::Action;
  statusSection_->setTitle(status->header);
  statusProgress_->setVisible(status->progressText.has_value());
  statusProgressText_->setText(status->progressText.value_or(QString()));
  statusResult_->setVisible(status->resultText.has_value());
  if (status->resultText) {
    statusResult_->setTextName(status->resultName);
    statusResult_->setNote(status->resultSymbol, *status->resultText,
                           status->isConfirmed ? Style::light(Style::Role::success)
                                               : Style::light(Style::Role::warning));
  }
  statusNote_->setVisible(status->note.has_value());
  statusNote_->setText(status->note.value_or(QString()));
  statusDone_->setVisible(status->action == Action::done);
  statusSync_->setVisible(status->action == Action::syncAndClose);
  statusSync_->setEnabled(!drawn_->isLoadingPatch);
  statusClose_->setVisible(status->action == Action::syncAndClose);
  statusReview_->setVisible(status->action == Action::reviewAgain);
}

void PatchEditorView::submit() {
  if (QWidget *focused = focusWidget()) focused->clearFocus();
  if (!situation_.canSubmit()) return;
  if (!form_.draft.partsToReplace.empty()) {
    const PatchReplacementQuestion question =
        patchReplacementQuestion(form_.draft.partsToReplace.size());
    QMessageBox *box =
        plainMessageBox(this, u"patch.replacementConfirmation"_s, question.title, question.message);
    box->setIcon(QMessageBox::Warning);
    QPushButton *replace = box->addButton(question.confirmTitle, QMessageBox::DestructiveRole);
    replace->setObjectName(u"patch.replacementConfirmation.replace"_s);
    // Return and Escape both cancel: a key pressed out of habit never starts a write.
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(u"patch.replacementConfirmation.cancel"_s);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(replace, &QPushButton::clicked, this, &PatchEditorView::confirmReplacement);
    replacementQuestion_ = box;
    box->open();
    return;
  }
  hasSubmitted_ = true;
  const PatchDraft draft = form_.draft;
  app_.beginPatchEditing(draft);
  redraw();
}

void PatchEditorView::confirmReplacement() {
  // The user confirmed what they saw; the model checks the draft again on its own.
  hasSubmitted_ = true;
  const PatchDraft draft = form_.draft;
  app_.beginPatchEditing(draft);
  redraw();
}

void PatchEditorView::chooseFixture() {
  if (!makeCatalogBrowser_) return;
  auto *sheet = new PatchCatalogSheet(
      makeCatalogBrowser_, app_.fixtureCatalog(), app_.eosFixtureLibraryVersion(),
      [editor = QPointer<PatchEditorView>(this)](const PatchFixtureChoice &choice) {
        if (!editor) return;
        editor->form_.draft.fixture = choice;
        editor->redraw();
      },
      this);
  sheet->open();
}

void PatchEditorView::reviewAgain() {
  app_.clearPatchSubmissionResult();
  hasSubmitted_ = false;
  redraw();
}

void PatchEditorView::reject() {
  if (isWriteUnderWay()) return;
  QDialog::reject();
}

void PatchEditorView::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (hasComeOnScreen_) return;
  hasComeOnScreen_ = true;
  // An earlier editor's result is not this one's.
  app_.clearPatchSubmissionResult();
  redraw();
}

void PatchEditorView::closeEvent(QCloseEvent *event) {
  if (isWriteUnderWay()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

PatchEditorView *openPatchEditor(AppViewModel &app, std::optional<Channel> existingChannel,
                                 QWidget *over, FixtureCatalogBrowserFactory makeCatalogBrowser) {
  auto *editor =
      new PatchEditorView(app, std::move(existingChannel), std::move(makeCatalogBrowser), over);
  editor->setWindowModality(Qt::WindowModal);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  editor->open();
  return editor;
}

}  // namespace tarnik
