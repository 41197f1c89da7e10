#include "screens/live/LiveShowDetailsView.h"

#include "app/AppViewModel.h"
#include "foundation/ReferenceDate.h"
#include "link/OSCManager.h"
#include "screens/kit/LocaleTexts.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/SelectableWrappedLabel.h"
#include "screens/kit/TitledSection.h"
#include "screens/live/SheetHeading.h"
#include "screens/live/ShowDetailsContent.h"

#include <QFormLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>

namespace tarnik {

namespace {

QFormLayout *addSection(QVBoxLayout &layout, const QString &header) {
  auto *section = new TitledSection(header, {}, TitledSection::Look::headed);
  QLabel *title = section->heading();
  QFont font = title->font();
  font.setBold(true);
  title->setFont(font);
  section->column()->setContentsMargins(0, 0, 0, 0);
  auto *rows = new QFormLayout;
  rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  section->column()->addLayout(rows);
  layout.addWidget(section);
  return rows;
}

}  // namespace

LiveShowDetailsView::LiveShowDetailsView(AppViewModel &model, QWidget *parent)
    : QDialog(parent), model_(model), note_(plainLabel()) {
  setObjectName(QStringLiteral("live.showDetails"));
  auto *layout = new QVBoxLayout(this);
  addSheetHeading(*this, *layout, tr("Show Details"), objectName());
  // The rows scroll under the heading as a list does, so a value of many lines keeps every
  // line at its height and the sheet keeps the size it was opened at.
  auto *list = new QScrollArea;
  list->setObjectName(QStringLiteral("live.showDetails.list"));
  list->setWidgetResizable(true);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto *content = new QWidget;
  auto *rows = new QVBoxLayout(content);
  currentShow_ = addSection(*rows, tr("Current show"));
  loadedData_ = addSection(*rows, tr("Loaded data"));
  note_->setObjectName(QStringLiteral("live.showDetails.note"));
  note_->setWordWrap(true);
  note_->setForegroundRole(QPalette::PlaceholderText);
  rows->addSpacing(8);
  rows->addWidget(note_);
  rows->addStretch();
  list->setWidget(content);
  layout->addWidget(list, 1);
  // The keys that scroll the rows work from the start; Return still presses "Done".
  list->setFocus();

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(model_);
  refresh->observe(*model_.oscManager());
  refresh->redrawNow();
}

void LiveShowDetailsView::redraw() {
  const std::optional<double> lastRefresh = model_.lastDataRefresh();
  const ShowDetailsContent content = showDetailsContent({
      .showFileName = model_.showFileName(),
      .consoleName = model_.consoleName(),
      .consoleIP = model_.consoleIP(),
      .isConsoleReachable = model_.isConsoleReachable(),
      .isTransportConnected = model_.oscManager()->isConnected(),
      .cueCount = model_.cues().size(),
      .channelCount = model_.channels().size(),
      .dataStatusMessage = model_.dataStatusMessage(),
      .lastRefreshText = lastRefresh ? std::optional(diagnosticsTimestampText(
                                           dateTimeFromReferenceSeconds(*lastRefresh)))
                                     : std::nullopt,
  });
  fillSection(*currentShow_, content.currentShow);
  fillSection(*loadedData_, content.loadedData);
  note_->setText(content.note);
}

void LiveShowDetailsView::fillSection(QFormLayout &section, const QList<ShowDetailsRow> &rows) {
  QSet<QString> shown;
  for (const ShowDetailsRow &row : rows) {
    shown.insert(row.name);
    SelectableWrappedLabel *&value = values_[row.name];
    if (!value) {
      value = new SelectableWrappedLabel;
      value->setObjectName(QStringLiteral("live.showDetails.") + row.name);
      value->setForegroundRole(QPalette::PlaceholderText);
      value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      section.addRow(plainLabel(row.title), value);
    }
    // The label shows a bounded part of a long value, so it is compared with the whole text
    // it was given: setting an unchanged value again would lay it out afresh and drop a
    // selection in it.
    if (value->fullText() != row.value) value->setText(row.value);
    section.setRowVisible(value, true);
  }
  // A row the content leaves out this time ("Last refresh" after a cleared show) is hidden.
  for (auto named = values_.cbegin(); named != values_.cend(); ++named) {
    if (!shown.contains(named.key()) && section.indexOf(named.value()) >= 0) {
      section.setRowVisible(named.value(), false);
    }
  }
}

}  // namespace tarnik
