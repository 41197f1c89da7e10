#include "screens/live/CuePlaybackTexts.h"

#include "screens/live/CueTexts.h"

#include <QCoreApplication>

namespace tarnik {

QString goTitlePrefix(const std::optional<Cue> &nextCue) {
  return nextCue ? QCoreApplication::translate("CuePlaybackBar", "Go Cue ")
                 : QCoreApplication::translate("CuePlaybackBar", "Go");
}

QString goTitleNumber(const std::optional<Cue> &nextCue) {
  return nextCue ? nextCue->number : QString();
}

QString goTitle(const std::optional<Cue> &nextCue) {
  return goTitlePrefix(nextCue) + goTitleNumber(nextCue);
}

QString goSubtitle(const std::optional<Cue> &nextCue) {
  return nextCue ? cueDisplayLabel(*nextCue) : QString();
}

}  // namespace tarnik
