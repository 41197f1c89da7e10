#pragma once

#include <QString>

#include <array>

namespace tarnik {

// The kind of patch edit; stored as its raw text.
enum class PatchOperation {
  fixture,             // one part of the chosen fixture mode at one channel
  dimmerAddressRange,  // one channel, one single-address part per DMX address of a range
  channelRange,        // a run of channels, one single-address part each, on consecutive addresses
};

inline constexpr std::array<PatchOperation, 3> allCases(PatchOperation) {
  return {PatchOperation::fixture, PatchOperation::dimmerAddressRange,
          PatchOperation::channelRange};
}

inline QString rawValue(PatchOperation operation) {
  switch (operation) {
    case PatchOperation::fixture:
      return QStringLiteral("fixture");
    case PatchOperation::dimmerAddressRange:
      return QStringLiteral("dimmerAddressRange");
    case PatchOperation::channelRange:
      return QStringLiteral("channelRange");
  }
  return {};
}

}  // namespace tarnik
