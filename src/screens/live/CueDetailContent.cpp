#include "screens/live/CueDetailContent.h"

#include "screens/live/CueTexts.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("CueDetailView", text); }

struct Field {
  const char *key;
  const char *label;
  QString Cue::*member;
};

// Flags come Block, Assert, Mark: the order the console's own cue sheet shows them in, not
// the order of the record's fields.
constexpr Field timingFields[] = {
    {"focusTime", QT_TRANSLATE_NOOP("CueDetailView", "Focus Time"), &Cue::focusTime},
    {"colorTime", QT_TRANSLATE_NOOP("CueDetailView", "Color Time"), &Cue::colorTime},
    {"beamTime", QT_TRANSLATE_NOOP("CueDetailView", "Beam Time"), &Cue::beamTime},
    {"follow", QT_TRANSLATE_NOOP("CueDetailView", "Follow"), &Cue::follow},
    {"hang", QT_TRANSLATE_NOOP("CueDetailView", "Hang"), &Cue::hang}};
constexpr Field flagFields[] = {
    {"block", QT_TRANSLATE_NOOP("CueDetailView", "Block"), &Cue::block},
    {"assert", QT_TRANSLATE_NOOP("CueDetailView", "Assert"), &Cue::assert},
    {"mark", QT_TRANSLATE_NOOP("CueDetailView", "Mark"), &Cue::mark},
    {"preheat", QT_TRANSLATE_NOOP("CueDetailView", "Preheat"), &Cue::preheat},
    {"allFade", QT_TRANSLATE_NOOP("CueDetailView", "AllFade"), &Cue::allFade},
    {"moves", QT_TRANSLATE_NOOP("CueDetailView", "Moves"), &Cue::moves},
    {"release", QT_TRANSLATE_NOOP("CueDetailView", "Release"), &Cue::release}};
constexpr Field sequenceFields[] = {
    {"link", QT_TRANSLATE_NOOP("CueDetailView", "Link"), &Cue::link},
    {"loop", QT_TRANSLATE_NOOP("CueDetailView", "Loop"), &Cue::loop},
    {"curve", QT_TRANSLATE_NOOP("CueDetailView", "Curve"), &Cue::curve},
    {"rate", QT_TRANSLATE_NOOP("CueDetailView", "Rate"), &Cue::rate},
    {"execute", QT_TRANSLATE_NOOP("CueDetailView", "Execute"), &Cue::execute}};

template <typename Fields, typename Shown>
QList<CueDetailRow> presentRows(const Cue &cue, const Fields &fields, Shown shown) {
  QList<CueDetailRow> rows;
  for (const Field &field : fields) {
    const QString &value = cue.*field.member;
    if (!value.isEmpty())
      rows.append({QString::fromLatin1(field.key), tr(field.label), shown(value)});
  }
  return rows;
}

}  // namespace

CueDetailContent cueDetailContent(const Cue &cue) {
  CueDetailContent content;
  content.title = tr("Cue %1").arg(cue.number);
  content.label = cueRowLabelText(cue);
  content.tiles = {{u"duration"_s, tr("Duration"), Cue::formattedTime(cue.duration)},
                   {u"up"_s, tr("Up"), Cue::formattedTime(cue.upTime)},
                   {u"down"_s, tr("Down"), Cue::formattedTime(cue.downTime)}};
  content.timing = presentRows(cue, timingFields, &Cue::formattedTime);
  content.showsFlags = cue.hasAttributes();
  content.flags = presentRows(cue, flagFields, [](const QString &) { return QString(); });
  content.sequence = presentRows(cue, sequenceFields, [](const QString &value) { return value; });
  return content;
}

std::optional<double> cueDetailProgress(const Cue &cue, const QString &activeCueNumber,
                                        std::optional<double> activeCueProgress) {
  if (activeCueNumber != cue.number) return std::nullopt;
  return activeCueProgress;
}

CueDetailActionState cueDetailActionState(const Cue &cue, bool viewer, bool canControl,
                                          bool consoleReachable) {
  CueDetailActionState state;
  if (viewer) {
    state.showsViewerNote = true;
    return state;
  }
  state.showsGo = true;
  state.goEnabled = canControl;
  state.showsOffline = !consoleReachable;
  state.goTitle = tr("Go to Cue %1").arg(cue.number);
  return state;
}

}  // namespace tarnik
