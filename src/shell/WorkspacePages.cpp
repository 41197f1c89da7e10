#include "shell/WorkspacePages.h"

#include <array>
#include <utility>

namespace tarnik::WorkspacePages {

const QStringList &titles() {
  static const QStringList pages{
      QStringLiteral("Connection & relay"),
      QStringLiteral("Live"),
      QStringLiteral("Cues"),
      QStringLiteral("Patch"),
      QStringLiteral("Xbox controller"),
      QStringLiteral("Updates"),
  };
  return pages;
}

Page page(const QString &title) {
  static const std::array<std::pair<QString, Page>, 5> routes{{
      {QStringLiteral("Live"), Page::live},
      {QStringLiteral("Cues"), Page::cues},
      {QStringLiteral("Patch"), Page::patch},
      {QStringLiteral("Xbox controller"), Page::controller},
      {QStringLiteral("Updates"), Page::updates},
  }};
  for (const auto &[routeTitle, routePage] : routes) {
    if (title == routeTitle) {
      return routePage;
    }
  }
  return Page::connectionAndRelay;
}

QString symbolName(Page page) {
  switch (page) {
    case Page::live:
      return QStringLiteral("slider.vertical.3");
    case Page::cues:
      return QStringLiteral("list.number");
    case Page::patch:
      return QStringLiteral("lightbulb");
    case Page::controller:
      return QStringLiteral("gamecontroller");
    case Page::updates:
      return QStringLiteral("arrow.down.circle");
    case Page::connectionAndRelay:
      break;
  }
  return QStringLiteral("network");
}

}  // namespace tarnik::WorkspacePages
