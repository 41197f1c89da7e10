#include "screens/patch/FixtureParametersModule.h"

#include "model/catalog/FixtureParameterCatalogStore.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/ChannelCardText.h"
#include "screens/patch/FixtureParameterRow.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

using ReadState = FixtureControlReadState;

QColor secondaryColor(const QWidget &widget) {
  QColor color = widget.palette().color(QPalette::WindowText);
  color.setAlphaF(0.62);
  return color;
}

}  // namespace

FixtureParametersModule::FixtureParametersModule(FixtureParameterCatalogStore &parameterCatalog,
                                                 CatalogResourceLocator bundle,
                                                 std::function<void()> retry,
                                                 KeyedTaskExecutor &executor, QWidget *parent)
    : QWidget(parent),
      parameterCatalog_(parameterCatalog),
      refresh_(new QToolButton(this)),
      body_(new QVBoxLayout),
      library_(new QLabel(this)),
      resolver_(this, parameterCatalog, std::move(bundle), executor) {
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);

  auto *header = new QHBoxLayout;
  header->setSpacing(8);
  auto *footnote = new QLabel(
      u"Values and ranges are from Eos. DMX slots reference matching fixture library data and "
      u"patch addresses. Custom show profiles may differ; unmatched parameters stay Unknown."_s,
      this);
  footnote->setObjectName(u"fixture.parameters.footnote"_s);
  styleCardLabel(*footnote, ChannelCardTextStyle::caption, ChannelCardTextTone::secondary);
  footnote->setWordWrap(true);
  header->addWidget(footnote, 1, Qt::AlignTop);
  refresh_->setObjectName(u"fixture.parameters.refresh"_s);
  refresh_->setAutoRaise(true);
  refresh_->setIcon(symbolIcon(u"arrow.clockwise"_s, secondaryColor(*this), secondaryColor(*this)));
  refresh_->setAccessibleName(u"Refresh fixture parameters"_s);
  refresh_->setToolTip(u"Refresh fixture parameters"_s);
  connect(refresh_, &QToolButton::clicked, this, [retry = std::move(retry)] {
    if (retry) retry();
  });
  header->addWidget(refresh_, 0, Qt::AlignTop);
  column->addLayout(header);

  body_->setContentsMargins(0, 0, 0, 0);
  body_->setSpacing(12);
  column->addLayout(body_);

  library_->setObjectName(u"fixture.parameters.library"_s);
  styleCardLabel(*library_, ChannelCardTextStyle::caption2, ChannelCardTextTone::tertiary);
  library_->setVisible(false);
  column->addWidget(library_);
  redrawBody();
}

void FixtureParametersModule::setInputs(Inputs inputs) {
  inputs_ = std::move(inputs);
  const FixtureParameterLookupID identity = lookupIdentity();
  if (identity != lookup_) {
    // Whatever the older identity resolved is no longer true of this one.
    lookup_ = identity;
    dmxByParameterName_.clear();
    resolvedLibraryVersion_.reset();
    isResolvingDMX_ = !identity.parameterNames.isEmpty();
    resolver_.resolve(identity, [this](const DMXSlotResolver::Result &result) { publish(result); });
  }
  redrawBody();
}

FixtureParameterLookupID FixtureParametersModule::lookupIdentity() const {
  QStringList names;
  if (inputs_.state)
    for (const FixtureControlParameter &parameter : inputs_.state->parameters)
      names.append(parameter.name);
  return {inputs_.channel.number,
          inputs_.channel.parts,
          names,
          inputs_.reportedFixtureLibraryVersion,
          inputs_.storeSessionID,
          inputs_.storeShowIdentity,
          inputs_.canControl,
          parameterCatalog_.state().kind == FixtureParameterCatalogStore::State::Kind::ready};
}

void FixtureParametersModule::publish(const DMXSlotResolver::Result &result) {
  dmxByParameterName_ = result.dmxByParameterName;
  resolvedLibraryVersion_ = result.resolvedLibraryVersion;
  isResolvingDMX_ = false;
  redrawBody();
}

void FixtureParametersModule::redrawBody() {
  library_->setVisible(resolvedLibraryVersion_.has_value());
  library_->setText(resolvedLibraryVersion_
                        ? u"DMX reference: fixture library "_s + *resolvedLibraryVersion_ + u"."_s
                        : QString());
  refresh_->setEnabled(inputs_.storeSessionID.has_value());
  Shown shown{inputs_.state, inputs_.storeSessionID.has_value(), dmxByParameterName_,
              isResolvingDMX_};
  if (shown == shown_) return;
  shown_ = std::move(shown);
  while (QLayoutItem *item = body_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const std::optional<FixtureControlState> &state = inputs_.state;
  const ReadState readState = state ? state->parameterReadState : ReadState::unknown;
  switch (readState) {
    case ReadState::unknown:
      body_->addWidget(inputs_.storeSessionID
                           ? makeStatusRow(u"Reading fixture parameters from Eos…"_s)
                           : makeMessage(u"Parameters need a live Eos connection."_s));
      break;
    case ReadState::loading:
      if (state->parameters.empty()) {
        body_->addWidget(makeStatusRow(u"Reading fixture parameters from Eos…"_s));
      } else {
        body_->addWidget(makeParameterList());
        body_->addWidget(makeStatusRow(u"Refreshing fixture parameters…"_s));
      }
      break;
    case ReadState::loaded:
      body_->addWidget(makeParameterList());
      break;
    case ReadState::failed: {
      auto *unavailable = new QWidget(this);
      unavailable->setObjectName(u"fixture.parameters.unavailable"_s);
      auto *row = new QHBoxLayout(unavailable);
      row->setContentsMargins(0, 0, 0, 0);
      auto *icon = new QLabel(unavailable);
      icon->setPixmap(symbolPixmap(u"exclamationmark.triangle"_s, secondaryColor(*this), 16));
      auto *text = new QLabel(u"Parameters unavailable"_s, unavailable);
      styleCardLabel(*text, ChannelCardTextStyle::subheadline, ChannelCardTextTone::secondary);
      row->addWidget(icon);
      row->addWidget(text, 1);
      unavailable->setAccessibleName(text->text());
      body_->addWidget(unavailable);
      break;
    }
  }
}

QWidget *FixtureParametersModule::makeParameterList() {
  auto *list = new QWidget(this);
  list->setObjectName(u"fixture.parameters.list"_s);
  auto *rows = new QVBoxLayout(list);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  const std::vector<FixtureControlParameter> &parameters = inputs_.state->parameters;
  for (size_t index = 0; index < parameters.size(); ++index) {
    const FixtureControlParameter &parameter = parameters[index];
    const auto found = dmxByParameterName_.constFind(parameter.name);
    auto *row = new FixtureParameterRow(
        parameter,
        found == dmxByParameterName_.constEnd() ? std::nullopt : std::optional(found.value()),
        isResolvingDMX_, locale_, list);
    row->setObjectName(u"fixture.parameters.row."_s + parameter.id());
    rows->addWidget(row);
    if (index + 1 == parameters.size()) break;
    rows->addSpacing(10);
    auto *divider = new QFrame(list);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setEnabled(false);
    rows->addWidget(divider);
    rows->addSpacing(10);
  }
  return list;
}

QWidget *FixtureParametersModule::makeStatusRow(const QString &message) {
  auto *status = new QWidget(this);
  auto *row = new QHBoxLayout(status);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(10);
  auto *busy = new QProgressBar(status);
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  busy->setFixedSize(28, 6);
  row->addWidget(busy);
  auto *text = new QLabel(message, status);
  text->setObjectName(u"fixture.parameters.message"_s);
  styleCardLabel(*text, ChannelCardTextStyle::subheadline, ChannelCardTextTone::secondary);
  row->addWidget(text, 1);
  return status;
}

QWidget *FixtureParametersModule::makeMessage(const QString &message) {
  auto *text = new QLabel(message, this);
  text->setObjectName(u"fixture.parameters.message"_s);
  styleCardLabel(*text, ChannelCardTextStyle::subheadline, ChannelCardTextTone::secondary);
  text->setWordWrap(true);
  return text;
}

}  // namespace tarnik
