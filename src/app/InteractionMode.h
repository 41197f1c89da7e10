#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <array>

namespace tarnik {

// The editor/viewer switch: in viewer mode every control that would change the console is
// inert. Stored as its raw text.
enum class InteractionMode { editor, viewer };

inline constexpr std::array<InteractionMode, 2> allInteractionModes{InteractionMode::editor,
                                                                    InteractionMode::viewer};

constexpr const std::array<InteractionMode, 2> &allCases(InteractionMode) {
  return allInteractionModes;
}

inline QString rawValue(InteractionMode mode) {
  return mode == InteractionMode::viewer ? QStringLiteral("viewer") : QStringLiteral("editor");
}

// Any text other than "viewer" (none at all included) reads as the editor.
inline InteractionMode interactionModeFromStoredText(QStringView text) {
  return text == u"viewer" ? InteractionMode::viewer : InteractionMode::editor;
}

inline size_t qHash(InteractionMode mode, size_t seed = 0) { return qHash(rawValue(mode), seed); }

}  // namespace tarnik
