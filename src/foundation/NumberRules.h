#pragma once

#include <QString>
#include <QStringView>

#include <charconv>
#include <concepts>
#include <limits>
#include <optional>

namespace tarnik {

namespace detail {
std::optional<unsigned long long> parseAsciiDigits(QStringView digits);
}

// Strict integer parsing: an optional single "+" or "-", then one or more ASCII digits and
// nothing else (no blanks, no other digit scripts). A value outside T's range fails.
template <std::integral T>
std::optional<T> parseStrictInteger(QStringView text) {
  bool negative = false;
  if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text = text.sliced(1);
  }
  const std::optional<unsigned long long> magnitude = detail::parseAsciiDigits(text);
  if (!magnitude) return std::nullopt;
  if (negative) {
    if constexpr (std::is_unsigned_v<T>) {
      if (*magnitude != 0) return std::nullopt;
      return T{0};
    } else {
      const auto limit = static_cast<unsigned long long>(std::numeric_limits<T>::max()) + 1ULL;
      if (*magnitude > limit) return std::nullopt;
      if (*magnitude == limit) return std::numeric_limits<T>::min();
      return static_cast<T>(-static_cast<long long>(*magnitude));
    }
  }
  if (*magnitude > static_cast<unsigned long long>(std::numeric_limits<T>::max()))
    return std::nullopt;
  return static_cast<T>(*magnitude);
}

// Decimal parsing in the C locale whatever the process locale: an optional sign, digits
// with an optional "." fraction and exponent, or "inf"/"infinity"/"nan". No blanks.
std::optional<double> parseDecimal(QStringView text);

// C's whole floating-point syntax, as strtod reads it in the C locale: everything
// parseDecimal takes, plus the hexadecimal forms ("0x1p4", "-0x.8", "0XAp-1"). No blanks.
std::optional<double> parseFloatingPoint(QStringView text);

// printf's "%.<decimals>f" in the C locale ("nan", "inf" and "-inf" for the specials).
QString formatFixed(double value, int decimals);

// printf's "%0<width>d": the sign counts toward the width, so (-5, 3) gives "-05".
QString formatZeroPadded(long long value, int width);

}  // namespace tarnik
