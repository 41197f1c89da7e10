#include "screens/patch/PatchNoteLook.h"

#include "screens/kit/Style.h"
#include "screens/patch/PatchEditorSections.h"

#include <QPalette>

namespace tarnik::PatchNoteLook {

QFont textFont(const QFont &base) {
  QFont caption = base;
  caption.setPointSizeF(base.pointSizeF() * 0.9);
  return caption;
}

QColor color(const PatchNote &note, const QPalette &palette) {
  return note.isWarning ? Style::light(Style::Role::warning)
                        : palette.color(QPalette::PlaceholderText);
}

}  // namespace tarnik::PatchNoteLook
