#include "foundation/NumberRules.h"

#include <locale.h>

#include <array>
#include <cmath>
#include <cstdlib>

namespace tarnik {

namespace detail {
std::optional<unsigned long long> parseAsciiDigits(QStringView digits) {
  if (digits.isEmpty()) return std::nullopt;
  unsigned long long value = 0;
  for (const QChar c : digits) {
    const char16_t unit = c.unicode();
    if (unit < u'0' || unit > u'9') return std::nullopt;
    const unsigned long long digit = unit - u'0';
    if (value > (std::numeric_limits<unsigned long long>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}
}  // namespace detail

namespace {

std::optional<double> readCLocaleNumber(QStringView text, bool hexadecimal) {
  if (text.isEmpty() || text.size() > 512) return std::nullopt;
  std::string ascii;
  ascii.reserve(static_cast<size_t>(text.size()));
  for (const QChar c : text) {
    if (c.unicode() > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c.unicode()));
  }
  std::string_view view = ascii;
  bool negative = false;
  if (view.front() == '+' || view.front() == '-') {
    negative = view.front() == '-';
    view.remove_prefix(1);
  }
  // from_chars takes neither a sign of "+" nor a second sign, nor the "0x" of a
  // hexadecimal form: the prefix is ours to read.
  if (view.empty() || view.front() == '+' || view.front() == '-') return std::nullopt;
  const bool hexPrefix = view.size() > 1 && view[0] == '0' && (view[1] == 'x' || view[1] == 'X');
  if (hexPrefix && !hexadecimal) return std::nullopt;
  std::string_view digits = view;
  if (hexPrefix) {
    digits.remove_prefix(2);
    // "0xinf" or "0x-1" is no hexadecimal number, though from_chars would read the rest.
    const char first = digits.empty() ? '\0' : digits.front();
    const bool opensNumber = (first >= '0' && first <= '9') || (first >= 'a' && first <= 'f') ||
                             (first >= 'A' && first <= 'F') || first == '.';
    if (!opensNumber) return std::nullopt;
  }
  double value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value,
                      hexPrefix ? std::chars_format::hex : std::chars_format::general);
  if (end != digits.data() + digits.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // from_chars leaves the value alone here; strtod in the C locale rounds to infinity or
    // zero as every other reader of the same text would.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string unsignedText(view);
    value = strtod_l(unsignedText.c_str(), nullptr, cLocale);
  } else if (error != std::errc{}) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace

std::optional<double> parseDecimal(QStringView text) { return readCLocaleNumber(text, false); }

std::optional<double> parseFloatingPoint(QStringView text) { return readCLocaleNumber(text, true); }

QString formatFixed(double value, int decimals) {
  if (std::isnan(value))
    return std::signbit(value) ? QStringLiteral("-nan") : QStringLiteral("nan");
  std::array<char, 400> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::fixed, decimals);
  if (error != std::errc{}) return {};
  return QString::fromLatin1(buffer.data(), end - buffer.data());
}

QString formatZeroPadded(long long value, int width) {
  std::array<char, 24> digits{};
  const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude).ptr;
  QString text = value < 0 ? QStringLiteral("-") : QString();
  const qsizetype digitCount = end - digits.data();
  for (qsizetype pad = text.size() + digitCount; pad < width; ++pad) text.append(u'0');
  text.append(QLatin1StringView(digits.data(), digitCount));
  return text;
}

}  // namespace tarnik
