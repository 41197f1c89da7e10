#pragma once

// Real input under the X server of with-xvfb.sh: xdotool moves the pointer and clicks.

#include "support/ProcessRunner.h"

#include <QStringList>
#include <QWidget>

#include <chrono>

namespace tarnik::testing {

inline bool xdotool(const QStringList &arguments) {
  const auto result =
      ProcessRunner::run(QStringLiteral("xdotool"), arguments, std::chrono::seconds(20));
  return result && result->exitCode == 0;
}

// A left click in the middle of a widget of the window, as a person makes it.
inline bool clickCentre(QWidget &window, const QWidget &target) {
  const QPoint at = target.mapTo(&window, target.rect().center());
  return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                  QString::number(window.winId()), QString::number(at.x()), QString::number(at.y()),
                  QStringLiteral("click"), QStringLiteral("1")});
}

}  // namespace tarnik::testing
