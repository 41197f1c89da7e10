#include "shell/LocaleTexts.h"

#include "foundation/ReferenceDate.h"

#include <memory>
#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace tarnik {

namespace {

icu::UnicodeString icuText(const QString &text) {
  return icu::UnicodeString(reinterpret_cast<const char16_t *>(text.utf16()),
                            static_cast<int32_t>(text.size()));
}

QString qtText(const icu::UnicodeString &text) {
  return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

}  // namespace

QString timeOfDayText(double referenceSeconds, const QLocale &locale, const QTimeZone &zone) {
  const icu::Locale icuLocale(locale.name().toLatin1().constData());
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::DateTimePatternGenerator> patterns(
      icu::DateTimePatternGenerator::createInstance(icuLocale, status));
  if (U_FAILURE(status)) {
    return {};
  }
  const icu::UnicodeString pattern = patterns->getBestPattern(icu::UnicodeString(u"jms"), status);
  icu::SimpleDateFormat format(pattern, icuLocale, status);
  if (U_FAILURE(status)) {
    return {};
  }
  format.adoptTimeZone(icu::TimeZone::createTimeZone(icuText(QString::fromLatin1(zone.id()))));
  icu::UnicodeString text;
  const double unixMilliseconds =
      (referenceSeconds + static_cast<double>(referenceDateUnixSeconds)) * 1000.0;
  format.format(unixMilliseconds, text);
  return qtText(text);
}

}  // namespace tarnik
