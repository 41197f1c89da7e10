#pragma once

#include <QString>

#include <vector>

namespace tarnik::bench {

// A console's 64 KB text of each kind that costs a layout most: one unbroken word, CJK,
// words, a letter between characters of no width, a letter under combining marks.
struct LongConsoleText {
  const char *kind;
  QString text;
};

std::vector<LongConsoleText> longConsoleTexts();

}  // namespace tarnik::bench
