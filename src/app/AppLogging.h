#pragma once

#include <QLoggingCategory>

// The application model's trail.
// Off by default; QT_LOGGING_RULES="tarnik.app=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(tarnikApp)
