#include "screens/live/CueSyncTexts.h"

#include "screens/kit/LocaleTexts.h"

#include <QCoreApplication>

#include <limits>

namespace tarnik {

QString cueSyncShowName(const QString &showFileName) {
  return showFileName.isEmpty() ? QCoreApplication::translate("CueSyncCard", "Show Name")
                                : showFileName;
}

QString cueCountText(qsizetype count) {
  const int shown = static_cast<int>(std::min<qsizetype>(count, std::numeric_limits<int>::max()));
  return QCoreApplication::translate("CueSyncCard", "%n cues", nullptr, shown);
}

QString cueSyncStatusText(bool isConsoleReachable, const QString &dataStatusMessage,
                          std::optional<double> lastConnectedAt,
                          const std::optional<QString> &failure, const QLocale &locale,
                          const QTimeZone &zone) {
  if (isConsoleReachable) return dataStatusMessage;
  QString text = QCoreApplication::translate("CueSyncCard", "Offline");
  if (lastConnectedAt) {
    text += QStringLiteral(" \u00B7 ") + shortTimeOfDayText(*lastConnectedAt, locale, zone);
  }
  if (failure) text += QStringLiteral(" \u2014 ") + *failure;
  return text;
}

}  // namespace tarnik
