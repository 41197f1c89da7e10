#include "screens/live/CuePlaybackBar.h"

#include "app/AppViewModel.h"
#include "operations/EosOSCAddress.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/live/CuePlaybackTexts.h"
#include "screens/live/CueStyle.h"
#include "screens/live/GoButton.h"
#include "screens/live/SlotLabel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr int buttonSide = 54;

// The red circle with the white back-to-start symbol; faint while control is off.
class StopBackButton : public QAbstractButton {
 public:
  StopBackButton() {
    setObjectName(u"cues.playback.stop"_s);
    setAccessibleName(QCoreApplication::translate("CuePlaybackBar", "Stop/Back"));
    setFixedSize(buttonSide, buttonSide);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor red = Style::light(Style::Role::failure);
    red.setAlphaF(isEnabled() ? 0.95f : 0.35f);
    painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2) : QPen(Qt::NoPen));
    painter.setBrush(red);
    painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    constexpr int symbolSide = 20;
    const QPixmap symbol = symbolPixmap(u"backward.end.fill"_s,
                                        Style::onColour(Style::Role::failure, Style::Ground::light),
                                        symbolSide * devicePixelRatio());
    painter.drawPixmap(
        QRectF((width() - symbolSide) / 2.0, (height() - symbolSide) / 2.0, symbolSide, symbolSide),
        symbol, QRectF(symbol.rect()));
  }
};

void makeWhite(QWidget &widget) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText,
                   Style::onColour(Style::Role::success, Style::Ground::light));
  widget.setPalette(palette);
}

}  // namespace

CuePlaybackBar::CuePlaybackBar(AppViewModel &app, QWidget *parent)
    : QWidget(parent),
      app_(app),
      stop_(new StopBackButton),
      go_(new GoButton),
      prefix_(new SlotLabel(u"cues.playback.goPrefix"_s)),
      number_(new SlotLabel(u"cues.playback.goNumber"_s, SlotLabel::Roll::changedDigits)),
      subtitle_(new SlotLabel(u"cues.playback.subtitle"_s)) {
  go_->setObjectName(u"cues.playback.go"_s);
  go_->setMinimumHeight(buttonSide);
  go_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);

  QFont titleFont = cueFont(font(), CueTextStyle::headline);
  titleFont.setWeight(QFont::Bold);
  prefix_->setFont(titleFont);
  number_->setFont(titleFont);
  subtitle_->setFont(cueFont(font(), CueTextStyle::caption));
  subtitle_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  for (QWidget *label : {static_cast<QWidget *>(prefix_), static_cast<QWidget *>(number_),
                         static_cast<QWidget *>(subtitle_)})
    makeWhite(*label);

  auto *title = new QHBoxLayout;
  title->setSpacing(0);
  title->addStretch(1);
  title->addWidget(prefix_);
  title->addWidget(number_);
  title->addStretch(1);
  auto *face = new QVBoxLayout(go_);
  face->setContentsMargins(16, 6, 16, 6);
  face->setSpacing(1);
  face->addStretch(1);
  face->addLayout(title);
  face->addWidget(subtitle_);
  face->addStretch(1);

  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(16, 10, 16, 8);
  layout->setSpacing(12);
  layout->addWidget(stop_, 0, Qt::AlignVCenter);
  layout->addWidget(go_, 1);

  // The result is the model's to report; the bar shows nothing of it.
  connect(stop_, &QAbstractButton::clicked, this,
          [this] { app_.sendCommand(EosOSCAddress::cueListStop, {}, u"Stop/Back"_s); });
  connect(go_, &QAbstractButton::clicked, this,
          [this] { app_.sendCommand(EosOSCAddress::cueListFire, {}, u"Go"_s); });

  setNextCue(std::nullopt);
  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  refresh->redrawNow();
}

void CuePlaybackBar::setNextCue(const std::optional<Cue> &nextCue) {
  prefix_->setText(goTitlePrefix(nextCue));
  number_->setText(goTitleNumber(nextCue));
  number_->setVisible(nextCue.has_value());
  const QString subtitle = goSubtitle(nextCue);
  subtitle_->setText(subtitle);
  subtitle_->setVisible(!subtitle.isEmpty());
  go_->setText(goTitle(nextCue));
}

void CuePlaybackBar::redraw() {
  const bool canControl = app_.canControlFixtures();
  stop_->setEnabled(canControl);
  go_->setEnabled(canControl);
  go_->setFillLook(goFillLook(app_.activeCueProgress(), canControl));
}

}  // namespace tarnik
