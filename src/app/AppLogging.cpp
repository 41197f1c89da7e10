#include "app/AppLogging.h"

// Debug and info messages are off until QT_LOGGING_RULES asks for them; warnings show.
Q_LOGGING_CATEGORY(tarnikApp, "tarnik.app", QtWarningMsg)
