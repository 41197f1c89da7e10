#include "foundation/TextRules.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(TextRules, TrimsUnicodeWhiteSpaceAndLineBreaks) {
  const struct {
    QString input;
    QString expected;
  } rows[] = {
      {QStringLiteral("  Eos  "), QStringLiteral("Eos")},
      {QStringLiteral("\t\r\nEos\n"), QStringLiteral("Eos")},
      {QString::fromUtf16(u"\u00A0\u2003Eos\u3000\u2028\u2029\u0085"), QStringLiteral("Eos")},
      {QString::fromUtf16(u"a \u00A0b"), QString::fromUtf16(u"a \u00A0b")},
      {QStringLiteral(" \n "), QString()},
  };
  for (const auto &row : rows)
    EXPECT_EQ(trimmedText(row.input), row.expected) << row.input.toStdString();
}

TEST(TextRules, ComparesUnderCanonicalEquivalence) {
  const QString composed = QString::fromUtf16(u"Caf\u00E9");
  const QString decomposed = QString::fromUtf16(u"Cafe\u0301");
  EXPECT_TRUE(canonicallyEqual(composed, decomposed));
  EXPECT_EQ(compareByCodePoint(composed, decomposed), 0);
  EXPECT_FALSE(canonicallyEqual(QStringLiteral("Cafe"), composed));
  // Compatibility forms are not canonical: the ligature stays distinct.
  EXPECT_FALSE(canonicallyEqual(QString::fromUtf16(u"\uFB01"), QStringLiteral("fi")));
}

TEST(TextRules, OrdersByCodePointNotUtf16Unit) {
  const QString supplementary = QString::fromUcs4(U"\U0001F600");  // surrogates D83D DE00
  const QString highBmp = QString::fromUtf16(u"\uFF21");
  EXPECT_LT(compareByCodePoint(highBmp, supplementary), 0);
  EXPECT_LT(QString::compare(supplementary, highBmp), 0);  // what UTF-16 order would say
  EXPECT_TRUE(codePointLess(QStringLiteral("Z"), QStringLiteral("a")));
  EXPECT_TRUE(codePointLess(QStringLiteral("ab"), QStringLiteral("abc")));
  EXPECT_FALSE(codePointLess(QStringLiteral("abc"), QStringLiteral("abc")));
}

TEST(TextRules, CountsUserPerceivedCharacters) {
  EXPECT_EQ(characterCount(QString()), 0);
  EXPECT_EQ(characterCount(QStringLiteral("Eos")), 3);
  EXPECT_EQ(characterCount(QString::fromUtf16(u"e\u0301")), 1);
  EXPECT_EQ(characterCount(QString::fromUcs4(U"\U0001F1E9\U0001F1EA")), 1);  // a flag
  EXPECT_EQ(characterCount(QString::fromUcs4(U"\U0001F469\u200D\U0001F4BB!")), 2);
  EXPECT_EQ(characterCount(QStringLiteral("\r\n")), 1);
}

TEST(TextRules, JoinedSentencesEndInOneMark) {
  const struct {
    const char *text, *sentence;
  } rows[] = {
      {"", ""},
      {" \n", ""},
      {"Locked", "Locked."},
      {"Eos did not answer.", "Eos did not answer."},
      {"Really? ", "Really?"},
      {"Stop!", "Stop!"},
      {"Wait\u2026", "Wait\u2026."},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(endedSentence(QString::fromUtf8(row.text)), QString::fromUtf8(row.sentence))
        << row.text;
  }
  EXPECT_EQ(countedText(1, QStringLiteral("session"), QStringLiteral("sessions")),
            QStringLiteral("1 session"));
  for (const qint64 count : {0, 2, -1}) {
    EXPECT_EQ(countedText(count, QStringLiteral("part"), QStringLiteral("parts")),
              QString::number(count) + QStringLiteral(" parts"));
  }
}

}  // namespace
}  // namespace tarnik
