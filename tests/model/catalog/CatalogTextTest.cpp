#include "model/catalog/CatalogText.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(CatalogText, FoldsSearchTextToLettersAndDigits) {
  const struct {
    QString input;
    QString folded;
  } rows[] = {
      {QStringLiteral("  Moving-Head (Spot) 16ch "), QStringLiteral("moving head spot 16ch")},
      {QString::fromUtf16(u"\u00C9clairage"), QStringLiteral("eclairage")},
      {QString::fromUtf16(u"E\u0301CLAIRAGE \u2013 Fa\u00E7ade"),
       QStringLiteral("eclairage facade")},
      {QString::fromUtf16(u"Stra\u00DFe\u00B7\u00B2"), QString::fromUtf16(u"stra\u00DFe \u00B2")},
      {QStringLiteral("---"), QString()},
  };
  for (const auto &row : rows)
    EXPECT_EQ(normalizedSearchText(row.input), row.folded) << row.input.toStdString();
  EXPECT_EQ(searchTokens(u" Spot--300 "), (QList<QByteArray>{"spot", "300"}));
  EXPECT_TRUE(searchTokens(u" -- ").isEmpty());
}

TEST(CatalogText, FoldsIdentityWordsKeepingAccents) {
  EXPECT_EQ(identityWords(u"Acme_Lights  Co"), "acme lights co");
  EXPECT_EQ(identityWords(u"\tMODE_1\n"), "mode 1");
  EXPECT_EQ(identityWords(QString::fromUtf16(u"Mod\u00C9")), QString::fromUtf16(u"mod\u00E9"));
  EXPECT_EQ(identityWords(u" _ "), QString());
}

TEST(CatalogText, ChecksLibraryVersionsAndDigests) {
  for (const char *valid : {"3.2.1.75", "0.0.0.0"})
    EXPECT_TRUE(isLibraryVersion(QString::fromUtf8(valid))) << valid;
  for (const char *invalid : {"3.2.1", "3.2..1.0", "3.2.1.x", "3.2.1.0.", "", "3.2.1.-1"}) {
    EXPECT_FALSE(isLibraryVersion(QString::fromUtf8(invalid))) << invalid;
  }
  EXPECT_TRUE(isLibraryVersion(QString::fromUtf16(u"3.2.1.\u0667")));  // Arabic-Indic seven
  EXPECT_TRUE(isLowerHexDigest(QString(64, u'f')));
  EXPECT_FALSE(isLowerHexDigest(QString(64, u'F')));
  EXPECT_FALSE(isLowerHexDigest(QString(63, u'0')));
}

TEST(CatalogText, AcceptsOnlyStrictUtf8) {
  const struct {
    QByteArray bytes;
    bool valid;
  } rows[] = {
      {"plain", true},
      {"\xc3\xa9", true},
      {"\xf0\x9f\x98\x80", true},
      {"\xc3\x28", false},          // a lead byte without its continuation
      {"\xc0\xaf", false},          // overlong "/"
      {"\xe0\x80\xaf", false},      // overlong "/"
      {"\xed\xa0\x80", false},      // a surrogate
      {"\xf4\x90\x80\x80", false},  // past U+10FFFF
      {"\xe2\x82", false},          // cut short
  };
  for (const auto &row : rows) {
    EXPECT_EQ(isStrictUtf8(row.bytes.constData(), std::size_t(row.bytes.size())), row.valid)
        << row.bytes.toHex().toStdString();
  }
}

}  // namespace
}  // namespace tarnik
