// The patch editor offscreen, against the console double's patch table: the forms, a dimmer
// range written and confirmed from the list's add button, conflicts, the replacement
// question, failures, the catalog sheet (with a stand-in and with the program's own browser) and
// the typed numbers.

#include "EditorTestSupport.h"
#include "screens/patch/CatalogRowListView.h"
#include "screens/patch/FixtureCatalogView.h"
#include "screens/patch/PatchCatalogSheet.h"
#include "screens/patch/PatchEditorSections.h"
#include "screens/patch/PatchNoteList.h"
#include "screens/patch/PatchView.h"
#include "screens/support/DrawnContrast.h"
#include "support/QtPrinting.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>

namespace tarnik::testing {
namespace {

using Kind = PatchSubmissionState::Kind;

class PatchEditorWidget : public EditorTest {
 protected:
  // The thru fields have no object name of their own: they are found as a screen reader would.
  QLineEdit *fieldCalled(const QString &accessibleName) const {
    for (auto *field : editor->findChildren<QLineEdit *>())
      if (field->accessibleName() == accessibleName) return field;
    return nullptr;
  }
};

TEST_F(PatchEditorWidget, NewAndEditFormsStartAsTheirChannelSays) {
  ASSERT_TRUE(connectAndSync());
  open();
  EXPECT_EQ(editor->windowTitle(), u"Add Patch"_s);
  EXPECT_EQ(part<QPushButton>(u"patch.submit"_s)->text(), u"Patch"_s);
  EXPECT_TRUE(part<QPushButton>(u"patch.operation.dimmerAddressRange"_s)->isChecked());
  EXPECT_FALSE(shown(u"patch.section.existingPatch"_s));
  EXPECT_FALSE(shown(u"patch.section.fixtureMode"_s));
  EXPECT_EQ(part<QLineEdit>(u"patch.universe"_s)->text(), u"1"_s);
  EXPECT_EQ(part<QLineEdit>(u"patch.addressStart"_s)->text(), QString());
  picture(u"new"_s);
  click(u"patch.operation.fixture"_s);
  EXPECT_TRUE(shown(u"patch.section.fixtureMode"_s));
  EXPECT_EQ(text(u"patch.fixture.line1"_s), u"Choose Manufacturer, Model, and Mode"_s);
  picture(u"operation-fixture"_s);
  click(u"patch.operation.channelRange"_s);
  EXPECT_FALSE(shown(u"patch.section.fixtureMode"_s));
  EXPECT_TRUE(shown(u"patch.includesChannelThru"_s));
  EXPECT_FALSE(shown(u"patch.includesAddressThru"_s));
  picture(u"operation-channelRange"_s);
  editor->close();

  open(channel(5));
  EXPECT_EQ(editor->windowTitle(), u"Edit Patch"_s);
  EXPECT_EQ(part<QPushButton>(u"patch.submit"_s)->text(), u"Apply"_s);
  EXPECT_TRUE(shown(u"patch.section.existingPatch"_s));
  EXPECT_EQ(part<QCheckBox>(u"patch.replaceExisting"_s)->text(), u"Replace 2 existing parts"_s);
  EXPECT_EQ(part<QLineEdit>(u"patch.channelStart"_s)->text(), u"5"_s);
  EXPECT_EQ(part<QLineEdit>(u"patch.addressStart"_s)->text(), u"101"_s);
  EXPECT_TRUE(part<QCheckBox>(u"patch.includesAddressThru"_s)->isChecked());
  // Its own parts stand in the way until the user agrees to replace them.
  EXPECT_TRUE(shown(u"patch.section.issues"_s));
  EXPECT_TRUE(shown(u"patch.section.review"_s));
  EXPECT_EQ(text(u"patch.review.summary"_s), u"Channel 5 uses 2 DMX addresses: U1 · 101–102."_s);
  EXPECT_FALSE(part(u"patch.submit"_s)->isEnabled());
  picture(u"edit-review-with-issues"_s);
  click(u"patch.replaceExisting"_s);
  EXPECT_FALSE(shown(u"patch.section.issues"_s));
  EXPECT_TRUE(part(u"patch.submit"_s)->isEnabled());
  picture(u"edit"_s);
}

TEST_F(PatchEditorWidget, AddsADimmerRangeFromTheListUntilEosConfirmsIt) {
  ASSERT_TRUE(connectAndSync());
  PatchView::Destinations destinations;
  destinations.newPatchEditor = [this](AppViewModel &app, QWidget *over) {
    editor = openPatchEditor(app, std::nullopt, over, standInBrowser());
  };
  PatchView list(*model, std::move(destinations));
  list.show();
  QTest::mouseClick(list.findChild<QWidget *>(u"patch.add"_s), Qt::LeftButton);
  ASSERT_TRUE(editor);
  editor->resize(520, 900);
  settle();
  QList<Kind> states;
  QObject::connect(model.get(), &AppViewModel::patchSubmissionStateChanged, editor,
                   [&](const PatchSubmissionState &state) { states.append(state.kind); });

  type(u"patch.channelStart"_s, u"7"_s);
  type(u"patch.addressStart"_s, u"1"_s);
  click(u"patch.includesAddressThru"_s);
  QLineEdit *thru = fieldCalled(u"DMX thru address"_s);
  ASSERT_TRUE(thru);
  EXPECT_EQ(thru->text(), u"1"_s);
  thru->selectAll();
  QTest::keyClicks(thru, u"4"_s);
  settle();
  EXPECT_EQ(text(u"patch.review.plannedParts"_s), u"4"_s);
  EXPECT_EQ(text(u"patch.review.part4"_s), u"U1 · 004"_s);
  ASSERT_TRUE(part(u"patch.submit"_s)->isEnabled());

  click(u"patch.submit"_s);
  EXPECT_EQ(statusHeader(), u"Status"_s);
  EXPECT_EQ(text(u"patch.submission.progress"_s), u"Checking the current Eos patch…"_s);
  EXPECT_FALSE(shown(u"patch.submit"_s));
  EXPECT_TRUE(shown(u"patch.busy"_s));
  picture(u"status-checking"_s);

  ASSERT_TRUE(stateBecomes(Kind::verifying));
  settle();
  EXPECT_EQ(text(u"patch.submission.progress"_s), u"Reading back every patched part…"_s);
  EXPECT_FALSE(part(u"patch.cancel"_s)->isEnabled());
  EXPECT_FALSE(part(u"patch.channelStart"_s)->isEnabled());
  picture(u"status-verifying"_s);
  // Neither Escape nor the window's close button ends the sheet while Eos is read back.
  QTest::keyClick(editor, Qt::Key_Escape);
  editor->close();
  settle();
  EXPECT_TRUE(editor && editor->isVisible());

  ASSERT_TRUE(stateBecomes(Kind::confirmed));
  settle();
  // The editor's own clearing as it came on screen lands first.
  EXPECT_EQ(states.mid(states.indexOf(Kind::checking)),
            (QList{Kind::checking, Kind::sending, Kind::verifying, Kind::confirmed}));
  EXPECT_EQ(statusHeader(), u"Confirmed by Eos"_s);
  EXPECT_EQ(text(u"patch.submission.confirmed"_s), model->patchSubmissionState().text);
  EXPECT_EQ(text(u"patch.submission.confirmed"_s), u"Eos confirmed 1 channel and 4 parts."_s);
  EXPECT_EQ(console.show().channelParts(7).size(), 4);
  EXPECT_FALSE(shown(u"patch.submit"_s));
  picture(u"status-confirmed"_s);
  click(u"patch.done"_s);
  EXPECT_TRUE(!editor || !editor->isVisible());
}

TEST_F(PatchEditorWidget, AConflictShowsThePlannersMessageAndNoSubmit) {
  ConsoleShow show = editorShow();
  for (int number = 11; number <= 70; ++number)
    show.patch.append(ConsolePatchPart::dimmer(number, 1, 300 + number));
  console.setShow(show);
  ASSERT_TRUE(connectAndSync());
  open();
  type(u"patch.channelStart"_s, u"7"_s);
  type(u"patch.addressStart"_s, u"101"_s);
  EXPECT_TRUE(shown(u"patch.section.issues"_s));
  auto *issues = part<PatchNoteList>(u"patch.issues"_s);
  ASSERT_TRUE(issues);
  EXPECT_EQ(issues->notes(),
            (QList{PatchNote{u"exclamationmark.triangle.fill"_s,
                             u"U1 · 101 is occupied by channel 5, part 1."_s, true}}));
  EXPECT_EQ(issues->closingLine(), std::nullopt);
  EXPECT_FALSE(part(u"patch.submit"_s)->isEnabled());
  picture(u"conflict"_s);

  // Channels 1 through 80 at 1/301 on: each existing part of those channels needs consent,
  // and channels 11 to 70 overlap too; the first 50 of 122 rows show.
  click(u"patch.operation.channelRange"_s);
  part<QLineEdit>(u"patch.channelStart"_s)->clear();
  type(u"patch.channelStart"_s, u"1"_s);
  click(u"patch.includesChannelThru"_s);
  QLineEdit *thru = fieldCalled(u"Channel thru"_s);
  ASSERT_TRUE(thru);
  thru->selectAll();
  QTest::keyClicks(thru, u"80"_s);
  part<QLineEdit>(u"patch.addressStart"_s)->clear();
  type(u"patch.addressStart"_s, u"301"_s);
  ASSERT_EQ(issues->notes().size(), 50);
  EXPECT_EQ(issues->notes().first().text,
            u"Channel 1, part 1 already exists. Confirm its replacement."_s);
  EXPECT_EQ(issues->closingLine(), u"and 72 more"_s);
  picture(u"many-conflicts"_s);
  saveScreenshot(*part(u"patch.section.issues"_s), u"editor-many-conflicts-issues"_s);
}

TEST_F(PatchEditorWidget, ReplacingAChannelsPartsAsksFirstAndCancelSendsNothing) {
  ASSERT_TRUE(connectAndSync());
  open(channel(5));
  click(u"patch.replaceExisting"_s);
  const qsizetype before = commandLinesSent();
  click(u"patch.submit"_s);
  auto *question = part<QMessageBox>(u"patch.replacementConfirmation"_s);
  ASSERT_TRUE(question);
  EXPECT_EQ(question->text(), u"Replace 2 Existing Parts?"_s);
  EXPECT_EQ(part<QPushButton>(u"patch.replacementConfirmation.replace"_s)->text(),
            u"Replace 2 Parts and Patch"_s);
  saveScreenshot(*question, u"editor-replacement-question"_s);
  click(u"patch.replacementConfirmation.cancel"_s);
  EXPECT_FALSE(shown(u"patch.section.status"_s));
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::idle());
  EXPECT_EQ(commandLinesSent(), before);
}

TEST_F(PatchEditorWidget, AFailedWriteShowsItsTextAndReviewReturnsToEditing) {
  ASSERT_TRUE(connectAndSync());
  open(channel(5));
  click(u"patch.replaceExisting"_s);
  click(u"patch.submit"_s);
  // The console's part changes between the review and the check: the write stops unsent.
  part<QPushButton>(u"patch.replacementConfirmation.replace"_s)->click();
  ConsoleShow show = console.show();
  show.patchPart(5, 1)->fields[ConsolePatchPart::level] = OSCArgument::fromInt(40);
  console.setShow(show);
  ASSERT_TRUE(stateBecomes(Kind::failed));
  settle();
  EXPECT_EQ(statusHeader(), u"Not Confirmed"_s);
  EXPECT_EQ(text(u"patch.submission.failed"_s),
            u"A replacement target changed after review. Review the current patch before trying "
            "again."_s);
  EXPECT_EQ(part<QLabel>(u"patch.submission.failed"_s)->textFormat(), Qt::PlainText);
  picture(u"status-failed"_s);
  click(u"patch.submission.review"_s);
  EXPECT_FALSE(shown(u"patch.section.status"_s));
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::idle());
  EXPECT_EQ(part<QLineEdit>(u"patch.addressStart"_s)->text(), u"101"_s);
}

TEST_F(PatchEditorWidget, ASubmitAfterTheConnectionWentShowsWhyInsteadOfNothing) {
  ASSERT_TRUE(connectAndSync());
  open(channel(5));
  click(u"patch.replaceExisting"_s);
  click(u"patch.submit"_s);
  model->disconnect();
  part<QPushButton>(u"patch.replacementConfirmation.replace"_s)->click();
  settle();
  ASSERT_TRUE(shown(u"patch.section.status"_s));
  EXPECT_EQ(text(u"patch.submission.failed"_s),
            u"Connect in Editor mode and complete a sync before patching."_s);
  EXPECT_TRUE(shown(u"patch.section.unavailable"_s));
  EXPECT_EQ(text(u"patch.unavailableReason"_s), text(u"patch.submission.failed"_s));
  // A new editor does not meet the old result.
  editor->close();
  open();
  EXPECT_EQ(model->patchSubmissionState(), PatchSubmissionState::idle());
}

TEST_F(PatchEditorWidget, AWriteCutOffAfterSendingIsShownAsNotConfirmed) {
  ASSERT_TRUE(connectAndSync());
  open();
  type(u"patch.channelStart"_s, u"8"_s);
  type(u"patch.addressStart"_s, u"30"_s);
  click(u"patch.submit"_s);
  ASSERT_TRUE(stateBecomes(Kind::verifying));
  model->disconnect();
  ASSERT_TRUE(stateBecomes(Kind::sentUnconfirmed));
  settle();
  EXPECT_EQ(statusHeader(), u"Sent to Eos · Not Confirmed"_s);
  EXPECT_TRUE(shown(u"patch.submission.sync"_s));
  EXPECT_TRUE(shown(u"patch.submission.close"_s));
  EXPECT_FALSE(part(u"patch.submit"_s)->isEnabled());
  picture(u"status-sentUnconfirmed"_s);
  click(u"patch.submission.close"_s);
  EXPECT_TRUE(!editor || !editor->isVisible());
}

TEST_F(PatchEditorWidget, AModeChosenInTheSheetKeepsTheLabelAndAddresses) {
  ASSERT_TRUE(connectAndSync());
  open();
  click(u"patch.operation.fixture"_s);
  type(u"patch.channelStart"_s, u"9"_s);
  type(u"patch.label"_s, u"<i>Beam</i>"_s);
  type(u"patch.addressStart"_s, u"200"_s);
  click(u"patch.fixture.choose"_s);
  QPointer<PatchCatalogSheet> sheet = part<PatchCatalogSheet>(u"patch.catalogSheet"_s);
  ASSERT_TRUE(sheet);
  EXPECT_EQ(reportedToBrowser, model->eosFixtureLibraryVersion());
  QTest::mouseClick(sheet->findChild<QWidget *>(u"standIn.choose"_s), Qt::LeftButton);
  settle();
  EXPECT_FALSE(sheet && sheet->isVisible());
  EXPECT_EQ(text(u"patch.fixture.line1"_s), u"Acme Lights · Beam"_s);
  EXPECT_EQ(text(u"patch.fixture.line2"_s), u"16 bit"_s);
  EXPECT_EQ(text(u"patch.fixture.line3"_s), u"16 DMX addresses"_s);
  EXPECT_EQ(text(u"patch.fixture.libraryNote"_s),
            u"Matches Eos fixture library "_s + model->eosFixtureLibraryVersion().value_or(u""_s));
  EXPECT_EQ(part<QLineEdit>(u"patch.label"_s)->text(), u"<i>Beam</i>"_s);
  EXPECT_EQ(part<QLineEdit>(u"patch.addressStart"_s)->text(), u"200"_s);
  EXPECT_EQ(text(u"patch.occupiedSpan"_s), u"U1 · 200–215"_s);
  picture(u"fixture-chosen"_s);

  // Cancelling another opening keeps the mode.
  click(u"patch.fixture.choose"_s);
  QPointer<PatchCatalogSheet> second = part<PatchCatalogSheet>(u"patch.catalogSheet"_s);
  ASSERT_TRUE(second);
  QTest::mouseClick(second->findChild<QWidget *>(u"standIn.cancel"_s), Qt::LeftButton);
  settle();
  EXPECT_EQ(browsersMade, 2);
  EXPECT_EQ(text(u"patch.fixture.line1"_s), u"Acme Lights · Beam"_s);
}

// The program's own browser: a mode found in the bundled library by its model name, patched
// on a free channel and read back by Eos.
TEST_F(PatchEditorWidget, AModePickedInTheFixtureLibraryIsPatchedUntilEosConfirmsIt) {
  ASSERT_TRUE(connectAndSync());
  editor = openPatchEditor(*model, std::nullopt, &page, standardCatalogBrowser());
  editor->resize(520, 900);
  settle();
  click(u"patch.operation.fixture"_s);
  ASSERT_TRUE(part(u"patch.fixture.choose"_s)->isEnabled());
  click(u"patch.fixture.choose"_s);
  QPointer<PatchCatalogSheet> sheet = part<PatchCatalogSheet>(u"patch.catalogSheet"_s);
  ASSERT_TRUE(sheet);
  EXPECT_TRUE(sheet->isVisible());
  ASSERT_TRUE(sheet->findChild<FixtureCatalogView *>());
  ASSERT_TRUE(waitUntil([&] {
    auto *field = sheet->findChild<QLineEdit *>(u"fixture.catalog.search"_s);
    return field && field->isVisibleTo(sheet);
  }));
  QTest::keyClicks(sheet->findChild<QLineEdit *>(u"fixture.catalog.search"_s), u"MAC250 Entour"_s);
  auto *results = sheet->findChild<CatalogRowListView *>(u"fixture.catalog.results.list"_s);
  ASSERT_TRUE(results);
  ASSERT_TRUE(
      waitUntil([&] { return results->isVisibleTo(sheet) && results->model()->rowCount(); }));
  const QString subtitle = results->rows().rows()[0].subtitle;
  ASSERT_TRUE(
      waitUntil([&] { return results->visualRect(results->model()->index(0, 0)).isValid(); }));
  QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                    results->visualRect(results->model()->index(0, 0)).center());
  settle();
  EXPECT_FALSE(sheet && sheet->isVisible());
  EXPECT_EQ(text(u"patch.fixture.line1"_s), subtitle);
  // Eos knows each type's footprint from its own library; the double learns it here, under
  // the type name as Eos shows it: the model, then the mode.
  const qsizetype footprint = text(u"patch.fixture.line3"_s).section(u' ', 0, 0).toLongLong();
  ASSERT_GT(footprint, 1);
  console.footprints.insert(subtitle.section(u" · "_s, 1) + u' ' + text(u"patch.fixture.line2"_s),
                            int(footprint));

  type(u"patch.channelStart"_s, u"301"_s);
  type(u"patch.addressStart"_s, u"301"_s);
  settle();
  ASSERT_TRUE(part(u"patch.submit"_s)->isEnabled());
  click(u"patch.submit"_s);
  ASSERT_TRUE(waitUntil([&] {
    const Kind kind = model->patchSubmissionState().kind;
    return kind == Kind::confirmed || kind == Kind::failed || kind == Kind::sentUnconfirmed;
  }));
  EXPECT_EQ(model->patchSubmissionState().kind, Kind::confirmed)
      << model->patchSubmissionState().text.toStdString();
  EXPECT_FALSE(console.show().channelParts(301).isEmpty());
}

TEST_F(PatchEditorWidget, TypedNumbersKeepOnlyTheirDigits) {
  open();
  auto *start = part<QLineEdit>(u"patch.channelStart"_s);
  type(u"patch.channelStart"_s, u"1a2"_s);
  EXPECT_EQ(start->text(), u"12"_s);
  EXPECT_EQ(start->cursorPosition(), 2);
  start->clear();
  type(u"patch.channelStart"_s, u"-5"_s);
  EXPECT_EQ(start->text(), u"5"_s);
  start->selectAll();
  type(u"patch.channelStart"_s, u"½"_s);
  EXPECT_EQ(start->text(), QString());
}

// The empty field shows its title as its placeholder, so the row label, the placeholder and
// the name a screen reader says must all follow the operation.
TEST_F(PatchEditorWidget, StartFieldTitlesFollowTheOperation) {
  open();
  struct Case {
    QString operation, channelTitle, addressTitle;
  };
  for (const Case &test : {Case{u"channelRange"_s, u"Channel start"_s, u"First DMX address"_s},
                           Case{u"fixture"_s, u"Channel"_s, u"DMX start address"_s},
                           Case{u"dimmerAddressRange"_s, u"Channel"_s, u"DMX start address"_s}}) {
    click(u"patch.operation."_s + test.operation);
    for (const auto &[name, title] : {std::pair(u"patch.channelStart"_s, test.channelTitle),
                                      std::pair(u"patch.addressStart"_s, test.addressTitle)}) {
      auto *field = part<QLineEdit>(name);
      auto *rows = qobject_cast<QFormLayout *>(field->parentWidget()->layout());
      ASSERT_TRUE(rows);
      const std::string where = (test.operation + u' ' + name).toStdString();
      EXPECT_EQ(field->placeholderText(), title) << where;
      EXPECT_EQ(field->accessibleName(), title) << where;
      EXPECT_EQ(qobject_cast<QLabel *>(rows->labelForField(field))->text(), title) << where;
    }
  }
  picture(u"titles-dimmerAddressRange"_s);
}

// The chosen "Patch Type" option stands on the face its checked button draws: its description
// reads there by the strongest pixel of its glyphs.
TEST_F(PatchEditorWidget, TheChosenPatchTypesDescriptionReadsOnItsRow) {
  open();
  auto *row = part<QPushButton>(u"patch.operation.dimmerAddressRange"_s);
  ASSERT_TRUE(row->isChecked());
  const QString description = patchOperationRow(PatchOperation::dimmerAddressRange).description;
  const QLabel *label = nullptr;
  for (const QLabel *text : row->findChildren<QLabel *>())
    if (text->text() == description) label = text;
  ASSERT_TRUE(label);
  const DrawnContrast drawn =
      drawnContrast(row->grab().toImage(), QRect(label->mapTo(row, QPoint()), label->size()));
  EXPECT_GE(drawn.text, 4.5) << "on " << drawn.ground.name().toStdString();
}

// The bundled library is decoded only when something first needs it. Until it is, there is
// no version to compare, and the editor must not call the versions different.
TEST_F(PatchEditorWidget, ChoosingFixtureFirstChecksTheLibraryInsteadOfReportingAMismatch) {
  ASSERT_TRUE(connectAndSync());
  open();
  ASSERT_EQ(model->fixtureCatalog().state().kind, FixtureCatalogStore::State::Kind::idle);
  // No turn of the event loop yet, so the decoding cannot have been delivered.
  QTest::mouseClick(part(u"patch.operation.fixture"_s), Qt::LeftButton);
  EXPECT_EQ(model->fixtureCatalog().state().kind, FixtureCatalogStore::State::Kind::loading);
  EXPECT_TRUE(shown(u"patch.section.unavailable"_s));
  EXPECT_EQ(text(u"patch.unavailableReason"_s), u"Checking the bundled fixture library…"_s);
  picture(u"fixture-library-checking"_s);
  ASSERT_TRUE(waitUntil([&] {
    return model->fixtureCatalog().state().kind == FixtureCatalogStore::State::Kind::ready;
  }));
  settle();
  ASSERT_TRUE(model->fixtureCatalog().compareLibraryVersion(model->eosFixtureLibraryVersion()));
  EXPECT_FALSE(shown(u"patch.section.unavailable"_s));
  picture(u"fixture-library-checked"_s);
}

// Every announcement of the model (traffic counters, pings) redraws the editor; planning
// the whole patch at each of them pinned a window over a large show. The plan is made once
// per edit of the draft and once per change of the published patch.
TEST_F(PatchEditorWidget, TheDraftIsPlannedOncePerEditOrPatchChangeNotPerAnnouncement) {
  ASSERT_TRUE(connectAndSync());
  int plans = 0;
  editor = new PatchEditorView(*model, std::nullopt, standInBrowser(), &page,
                               [&](const PatchDraft &draft) {
                                 ++plans;
                                 return model->planPatch(draft);
                               });
  editor->setAttribute(Qt::WA_DeleteOnClose);
  editor->show();
  settle();
  type(u"patch.channelStart"_s, u"40"_s);
  plans = 0;
  for (int announcement = 0; announcement < 5; ++announcement) {
    emit model->objectWillChange();
    settle();
  }
  EXPECT_EQ(plans, 0);
  type(u"patch.addressStart"_s, u"7"_s);
  EXPECT_EQ(plans, 1);
  EXPECT_TRUE(part(u"patch.submit"_s)->isEnabled());

  // Another part taking address 7 makes the kept plan stale: one plan per publication of
  // the patch at most, however many announcements the sync makes.
  int publications = 0;
  QObject::connect(model.get(), &AppViewModel::channelsChanged, editor, [&] { ++publications; });
  ConsoleShow changed = editorShow();
  changed.patch.append(ConsolePatchPart::dimmer(9, 1, 7));
  console.setShow(changed);
  model->requestFullSync(u"Patch refresh"_s);
  ASSERT_TRUE(waitUntil([&] { return channel(9).has_value(); }));
  settle();
  EXPECT_GE(plans, 2);
  EXPECT_LE(plans, 1 + publications);
  EXPECT_FALSE(part(u"patch.submit"_s)->isEnabled());
  EXPECT_TRUE(shown(u"patch.section.issues"_s));
}

// A channel's label the field shows cut (a letter under more combining marks than one
// carries, as in a console's 64 KB label that froze the window at each caret blink) stays
// the draft's label, whole, until the person changes it, and again once they undo.
TEST_F(PatchEditorWidget, TheLabelFieldShowsALongLabelCutAndKeepsItWholeUntilEdited) {
  const QString stacked = u"e"_s + QString(QChar(0x0301)).repeated(40);
  QString planned;
  editor = new PatchEditorView(*model, Channel{.number = 5, .label = stacked}, standInBrowser(),
                               &page, [&](const PatchDraft &draft) {
                                 planned = draft.label;
                                 return model->planPatch(draft);
                               });
  editor->setAttribute(Qt::WA_DeleteOnClose);
  editor->show();
  settle();
  auto *field = part<QLineEdit>(u"patch.label"_s);
  EXPECT_EQ(field->text(), stacked.left(31) + u"…"_s);
  EXPECT_EQ(planned, stacked);
  type(u"patch.label"_s, u"x"_s);
  EXPECT_EQ(planned, field->text());
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  settle();
  EXPECT_EQ(planned, stacked);
}

}  // namespace
}  // namespace tarnik::testing
