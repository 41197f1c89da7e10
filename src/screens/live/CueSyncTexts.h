#pragma once

#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace tarnik {

// The sync card's texts, from the model's values.

// The show name as published, blanks included; "Show Name" only when it is empty.
QString cueSyncShowName(const QString &showFileName);

// "%n cues", which reads "1 cues" until a translation says otherwise.
QString cueCountText(qsizetype count);

// The data status while the console answers; otherwise "Offline", with the short time of
// the last answer after " · " when there was one, and why the connection was dropped after
// " — " while that is known.
QString cueSyncStatusText(bool isConsoleReachable, const QString &dataStatusMessage,
                          std::optional<double> lastConnectedAt,
                          const std::optional<QString> &failure = std::nullopt,
                          const QLocale &locale = QLocale(),
                          const QTimeZone &zone = QTimeZone::systemTimeZone());

}  // namespace tarnik
