#include "link/LinkLogging.h"

// Debug and info messages are off until QT_LOGGING_RULES asks for them; warnings show.
Q_LOGGING_CATEGORY(tarnikLink, "tarnik.link", QtWarningMsg)
Q_LOGGING_CATEGORY(tarnikRelay, "tarnik.relay", QtWarningMsg)
Q_LOGGING_CATEGORY(tarnikDiscovery, "tarnik.discovery", QtWarningMsg)
