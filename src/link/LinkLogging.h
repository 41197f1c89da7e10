#pragma once

#include <QLoggingCategory>

// The console link's trail for a developer at a venue where a console will not verify.
// All three are off by default; QT_LOGGING_RULES="tarnik.link=true" (or "tarnik.*=true")
// turns them on. Packets are described by their size only, never by their bytes.
Q_DECLARE_LOGGING_CATEGORY(tarnikLink)       // connection states, verification, dropped packets
Q_DECLARE_LOGGING_CATEGORY(tarnikRelay)      // phone relay sessions
Q_DECLARE_LOGGING_CATEGORY(tarnikDiscovery)  // Bonjour browsing of consoles and relays
