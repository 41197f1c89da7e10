#include "screens/live/LiveCommandLine.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/live/KeyFacePainter.h"
#include "screens/live/LiveColors.h"
#include "screens/live/LiveSymbolButton.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPainter>

namespace tarnik {

namespace {

constexpr double textSize = 19;
constexpr double minimumScale = 0.7;
constexpr int leadingPadding = 8;
constexpr int spacing = 4;
constexpr int barHeight = 44;
constexpr int historySymbolSize = 21;
constexpr double cornerRadius = 7;
constexpr double borderWidth = 1.1;

}  // namespace

LiveCommandLine::LiveCommandLine(QWidget *parent)
    : QWidget(parent),
      history_(
          new LiveSymbolButton(QStringLiteral("live.commandLine.history"), historySymbolSize)) {
  setObjectName(QStringLiteral("live.commandLine"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(barHeight);
  history_->setSymbol(QStringLiteral("line.3.horizontal"), liveColor({LiveTint::blueAccent, 0.9}));
  history_->setAccessibleName(QCoreApplication::translate("LiveView", "Command history"));
  history_->setAccessibleDescription(
      QCoreApplication::translate("LiveView", "Opens recent timestamped console activity"));
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(leadingPadding, 0, 0, 0);
  row->setSpacing(spacing);
  row->addStretch();
  row->addWidget(history_);
  connect(history_, &QAbstractButton::clicked, this, &LiveCommandLine::showHistory);
}

void LiveCommandLine::refresh(const QString &text, bool hasConsoleFeedback,
                              bool isConsoleReachable) {
  const TintedColor textColor = LivePresentation::commandLineTextColor(hasConsoleFeedback);
  const TintedColor borderColor = LivePresentation::commandLineBorderColor(isConsoleReachable);
  if (text == text_ && textColor == textColor_ && borderColor == borderColor_) return;
  text_ = text;
  textColor_ = textColor;
  borderColor_ = borderColor;
  setAccessibleName(LivePresentation::commandLineAccessibleName(text));
  update();
}

QSize LiveCommandLine::sizeHint() const { return {320, barHeight}; }

QSize LiveCommandLine::minimumSizeHint() const {
  return {leadingPadding + spacing + history_->width(), barHeight};
}

void LiveCommandLine::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame =
      QRectF(rect()).adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2);
  painter.setPen(QPen(liveColor(borderColor_), borderWidth));
  painter.setBrush(keypadColor(KeypadColor::commandLineBackground));
  painter.drawRoundedRect(frame, cornerRadius, cornerRadius);

  painter.setFont(keyFont(font(), textSize, QFont::Bold));
  painter.setPen(liveColor(textColor_));
  const QRectF room(leadingPadding, 0, history_->x() - spacing - leadingPadding, height());
  paintFittedText(painter, room, text_, 1, minimumScale, Qt::AlignLeft | Qt::AlignVCenter);
}

}  // namespace tarnik
