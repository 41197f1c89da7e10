#include "LongConsoleTexts.h"

namespace tarnik::bench {

std::vector<LongConsoleText> longConsoleTexts() {
  constexpr qsizetype length = 65536;
  QString cjk;
  for (qsizetype at = 0; at < length; ++at) cjk.append(QChar(char16_t(0x4E00 + at % 2000)));
  return {
      {"word", QStringLiteral("Sunriseoverthefogharbour").repeated(3000).left(length)},
      {"cjk", cjk},
      {"words", QStringLiteral("front wash warm ").repeated(length / 16)},
      {"zero-width", QStringLiteral("x\u200D").repeated(length / 2)},
      {"marks", QStringLiteral("e") + QString(QChar(0x0301)).repeated(length - 1)},
  };
}

}  // namespace tarnik::bench
