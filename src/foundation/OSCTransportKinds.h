#pragma once

#include <QString>

#include <array>

// The two OSC choices a connection profile stores sit here, below both their users: the
// model keeps them in every saved profile, the link acts on them, and neither folder may
// include the other. They are plain vocabulary with their stored texts, and nothing of
// the protocol itself.

namespace tarnik {

// How OSC reaches the console; stored as the raw text "tcp" or "udp".
enum class OSCTransport { tcp, udp };

// How OSC packets are delimited on a TCP stream; stored as the raw text "packetLength" or
// "slip".
enum class OSCTCPFraming { packetLength, slip };

inline constexpr std::array<OSCTransport, 2> allOSCTransports{OSCTransport::tcp, OSCTransport::udp};

// Every framing, in the order in which choices are listed.
inline constexpr std::array<OSCTCPFraming, 2> allOSCTCPFramings{OSCTCPFraming::packetLength,
                                                                OSCTCPFraming::slip};

constexpr const std::array<OSCTransport, 2> &allCases(OSCTransport) { return allOSCTransports; }
constexpr const std::array<OSCTCPFraming, 2> &allCases(OSCTCPFraming) { return allOSCTCPFramings; }

inline QString rawValue(OSCTransport transport) {
  return transport == OSCTransport::tcp ? QStringLiteral("tcp") : QStringLiteral("udp");
}

inline QString rawValue(OSCTCPFraming framing) {
  return framing == OSCTCPFraming::packetLength ? QStringLiteral("packetLength")
                                                : QStringLiteral("slip");
}

// The text under which screens show the framing.
inline QString displayText(OSCTCPFraming framing) {
  return framing == OSCTCPFraming::packetLength ? QStringLiteral("Packet length (OSC 1.0)")
                                                : QStringLiteral("SLIP (OSC 1.1)");
}

}  // namespace tarnik
