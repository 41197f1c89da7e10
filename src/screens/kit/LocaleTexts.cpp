#include "screens/kit/LocaleTexts.h"

#include "foundation/ReferenceDate.h"

#include <array>
#include <cmath>
#include <memory>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace tarnik {

namespace {

// A moment in the locale's best pattern for an ICU skeleton, in the given time zone.
QString skeletonText(const char16_t *skeleton, double unixMilliseconds, const QLocale &locale,
                     const QTimeZone &zone) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale icuLocale =
      icu::Locale::forLanguageTag(locale.bcp47Name().toStdString(), status);
  const std::unique_ptr<icu::DateTimePatternGenerator> patterns(
      icu::DateTimePatternGenerator::createInstance(icuLocale, status));
  if (U_FAILURE(status)) return {};
  const icu::UnicodeString pattern = patterns->getBestPattern(icu::UnicodeString(skeleton), status);
  icu::SimpleDateFormat format(pattern, icuLocale, status);
  if (U_FAILURE(status)) return {};
  const QByteArray zoneID = zone.id();
  format.adoptTimeZone(icu::TimeZone::createTimeZone(
      icu::UnicodeString::fromUTF8(icu::StringPiece(zoneID.constData(), zoneID.size()))));
  icu::UnicodeString text;
  format.format(unixMilliseconds, text);
  return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

double unixMillisecondsOf(double referenceSeconds) {
  return (referenceSeconds + static_cast<double>(referenceDateUnixSeconds)) * 1000.0;
}

struct ByteUnit {
  const char *name;
  int fractionDigits;
};

// The fraction digits a decimal unit keeps, trailing zeros dropped.
QString unitAmountText(double amount, int fractionDigits, const QLocale &locale) {
  QString text = locale.toString(amount, 'f', fractionDigits);
  if (fractionDigits > 0) {
    const QString separator = locale.decimalPoint();
    while (text.endsWith(locale.zeroDigit())) text.chop(locale.zeroDigit().size());
    if (text.endsWith(separator)) text.chop(separator.size());
  }
  return text;
}

}  // namespace

QString timeOfDayText(double referenceSeconds, const QLocale &locale, const QTimeZone &zone) {
  return skeletonText(u"jms", unixMillisecondsOf(referenceSeconds), locale, zone);
}

QString shortTimeOfDayText(double referenceSeconds, const QLocale &locale, const QTimeZone &zone) {
  return skeletonText(u"jmm", unixMillisecondsOf(referenceSeconds), locale, zone);
}

QString diagnosticsTimestampText(const QDateTime &moment, const QLocale &locale,
                                 const QTimeZone &zone) {
  return skeletonText(u"MMMdjms", static_cast<double>(moment.toMSecsSinceEpoch()), locale, zone);
}

QString measurementText(double value, const QString &unitSuffix, const QLocale &locale) {
  return locale.toString(value, 'f', 1) + unitSuffix;
}

QString byteCountText(qint64 bytes, const QLocale &locale) {
  if (bytes == 0) return QStringLiteral("Zero KB");
  // Unsigned, so that the most negative count has a magnitude too.
  const quint64 magnitude = bytes < 0 ? 0 - static_cast<quint64>(bytes) : quint64(bytes);
  if (magnitude == 1) return locale.toString(bytes) + QStringLiteral(" byte");
  if (magnitude < 1000) return locale.toString(bytes) + QStringLiteral(" bytes");

  static constexpr std::array<ByteUnit, 6> units{
      {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};
  double amount = static_cast<double>(bytes) / 1000.0;
  for (std::size_t index = 0; index < units.size(); ++index) {
    const ByteUnit &unit = units[index];
    const double scale = std::pow(10.0, unit.fractionDigits);
    const double rounded = std::round(amount * scale) / scale;
    // 999.96 MB would read "1000 MB": the next unit says it better.
    if (std::abs(rounded) < 1000.0 || index + 1 == units.size()) {
      return unitAmountText(rounded, unit.fractionDigits, locale) + QLatin1Char(' ') +
             QLatin1StringView(unit.name);
    }
    amount /= 1000.0;
  }
  return {};
}

}  // namespace tarnik
