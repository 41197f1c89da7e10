#pragma once

#include <QLoggingCategory>

// The console operations' trail (sessions, throttlers, patch commands, mover).
// Off by default; QT_LOGGING_RULES="tarnik.operations=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(tarnikOperations)
