#include "screens/live/CueDetailView.h"

#include "screens/kit/PlainLabel.h"
#include "screens/kit/SelectableWrappedLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/kit/TitledSection.h"
#include "screens/live/CueDetailActionBar.h"
#include "screens/live/CueDetailContent.h"
#include "screens/live/CueStyle.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A rounded panel in one of the palette's colours: the tiles and the sections' boxes.
class RoundedPanel : public QWidget {
 public:
  explicit RoundedPanel(QPalette::ColorRole fill) : fill_(fill) {}

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(fill_));
    painter.drawRoundedRect(QRectF(rect()), 12, 12);
  }

 private:
  QPalette::ColorRole fill_;
};

QLabel *secondary(QLabel *label) {
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

QWidget *tile(const CueDetailRow &metric) {
  auto *panel = new RoundedPanel(QPalette::AlternateBase);
  panel->setObjectName(u"cues.detail.tile."_s + metric.key);
  auto *value = plainLabel(metric.value, panel->objectName() + u".value"_s);
  value->setFont(cueFont(panel->font(), CueTextStyle::headline));
  auto *label = secondary(plainLabel(metric.label));
  label->setFont(cueFont(panel->font(), CueTextStyle::caption));
  auto *layout = new QVBoxLayout(panel);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(3);
  layout->addWidget(value);
  layout->addWidget(label);
  return panel;
}

QWidget *header(const CueDetailContent &content) {
  auto *box = new QWidget;
  auto *title = plainLabel(content.title, u"cues.detail.title"_s);
  QFont titleFont = box->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.9);
  titleFont.setWeight(QFont::Bold);
  title->setFont(titleFont);
  // A long label wraps whole, never cut, even where one word is wider than the screen. Made
  // in its box and given its font first, so a long text is laid out no wider than a child's
  // first size until the page has one.
  auto *label = secondary(new SelectableWrappedLabel({}, box));
  label->setObjectName(u"cues.detail.label"_s);
  label->setFont(cueFont(box->font(), CueTextStyle::title3));
  label->setText(content.label);
  auto *tiles = new QHBoxLayout;
  tiles->setSpacing(10);
  for (const CueDetailRow &metric : content.tiles) tiles->addWidget(tile(metric), 1);
  auto *layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 8, 0, 8);
  layout->setSpacing(12);
  layout->addWidget(title);
  layout->addWidget(label);
  layout->addLayout(tiles);
  return box;
}

enum class RowValue { text, check };

QWidget *section(const QString &key, const QString &heading, const QList<CueDetailRow> &rows,
                 RowValue shown) {
  auto *box = new TitledSection(heading, u"cues.detail."_s + key, TitledSection::Look::headed);
  QLabel *title = box->heading();
  title->setFont(cueFont(box->font(), CueTextStyle::subheadline, true));
  auto *panel = new RoundedPanel(QPalette::Base);
  auto *list = new QVBoxLayout(panel);
  list->setContentsMargins(14, 6, 14, 6);
  list->setSpacing(0);
  for (const CueDetailRow &row : rows) {
    auto *line = new QWidget;
    line->setObjectName(box->objectName() + u"."_s + row.key);
    line->setMinimumHeight(36);
    auto *parts = new QHBoxLayout(line);
    parts->setContentsMargins(0, 0, 0, 0);
    parts->addWidget(plainLabel(row.label));
    parts->addStretch(1);
    QLabel *value = nullptr;
    if (shown == RowValue::check) {
      value = new QLabel;
      const int side = QFontMetrics(box->font()).height();
      value->setPixmap(
          symbolPixmap(u"checkmark.circle.fill"_s, Style::light(Style::Role::success), side));
    } else {
      value = secondary(plainLabel(row.value));
    }
    value->setObjectName(line->objectName() + u".value"_s);
    parts->addWidget(value);
    list->addWidget(line);
  }
  panel->setVisible(!rows.isEmpty());
  QVBoxLayout *layout = box->column();
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(panel);
  return box;
}

}  // namespace

CueDetailView::CueDetailView(AppViewModel &app, Cue cue, QWidget *parent)
    : QWidget(parent), cue_(std::move(cue)) {
  const CueDetailContent content = cueDetailContent(cue_);
  auto *sheet = new QWidget;
  auto *column = new QVBoxLayout(sheet);
  column->setContentsMargins(20, 12, 20, 12);
  column->setSpacing(20);
  column->addWidget(header(content));
  column->addWidget(section(u"timing"_s, tr("Timing"), content.timing, RowValue::text));
  if (content.showsFlags)
    column->addWidget(section(u"flags"_s, tr("Flags"), content.flags, RowValue::check));
  if (!content.sequence.isEmpty())
    column->addWidget(section(u"sequence"_s, tr("Sequence"), content.sequence, RowValue::text));
  column->addStretch(1);

  auto *scroll = new QScrollArea;
  scroll->setObjectName(u"cues.detail.scroll"_s);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(sheet);

  // The foot stays put while the list scrolls clear of it.
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(scroll, 1);
  layout->addWidget(new CueDetailActionBar(app, cue_));
}

QString CueDetailView::title() const { return cueDetailContent(cue_).title; }

}  // namespace tarnik
