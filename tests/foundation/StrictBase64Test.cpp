#include "foundation/StrictBase64.h"

#include <QString>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(StrictBase64, DecodesWholePaddedGroups) {
  for (const QByteArray &bytes :
       {QByteArray(), QByteArray("a"), QByteArray("ab"), QByteArray("abc"), QByteArray(32, '\xfb')})
    EXPECT_EQ(decodeStrictBase64(QString::fromLatin1(bytes.toBase64())), bytes) << bytes.size();
}

TEST(StrictBase64, RefusesWhatALenientDecoderWouldSkipOrGuess) {
  const char *rows[] = {
      "YWI",       // padding left off
      "YQ==YQ==",  // padding inside
      "YQ===",     // a third '='
      "YWJj\n",    // trailing line break
      " YWJj",     // leading blank
      "YW Jj",     // blank inside
      "-_-_",      // URL-safe alphabet
      "YW\xc3\x84j",
  };
  for (const char *row : rows) EXPECT_FALSE(decodeStrictBase64(QString::fromUtf8(row))) << row;
}

}  // namespace
}  // namespace tarnik
