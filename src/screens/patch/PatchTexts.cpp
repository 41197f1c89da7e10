#include "screens/patch/PatchTexts.h"

#include "foundation/NumberRules.h"
#include "screens/kit/FitTextPainter.h"

namespace tarnik {

QString dmxAddressText(qint64 address) { return formatZeroPadded(address, 3); }

QString catalogDisplayName(const QString &name) { return QString(name).replace(u'_', u' '); }

QString reportedVersionText(const QString &version) { return shortenedText(version, 64); }

}  // namespace tarnik
