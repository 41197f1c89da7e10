#pragma once

#include <QString>

namespace tarnik::logind {

// Where logind's manager object lives on the system bus.
inline const QString service = QStringLiteral("org.freedesktop.login1");
inline const QString path = QStringLiteral("/org/freedesktop/login1");
inline const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace tarnik::logind
