#pragma once

#include <QLoggingCategory>

// The application shell's trail (start-up, windows, updater).
// Off by default; QT_LOGGING_RULES="tarnik.shell=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(tarnikShell)
