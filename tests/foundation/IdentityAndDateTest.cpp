#include "foundation/ReferenceDate.h"
#include "foundation/UuidText.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(UuidText, WritesUpperCaseAndReadsEitherCase) {
  const QUuid id = QUuid::fromString(QStringLiteral("1b4e28ba-2fa1-11d2-883f-0016d3cca427"));
  EXPECT_EQ(uuidText(id), QStringLiteral("1B4E28BA-2FA1-11D2-883F-0016D3CCA427"));
  EXPECT_EQ(parseUuidText(u"1B4E28BA-2FA1-11D2-883F-0016D3CCA427"), id);
  EXPECT_EQ(parseUuidText(u"1b4e28ba-2fa1-11d2-883f-0016d3cca427"), id);
  EXPECT_EQ(parseUuidText(u"00000000-0000-0000-0000-000000000000"), QUuid());
  for (const char16_t *bad :
       {u"{1B4E28BA-2FA1-11D2-883F-0016D3CCA427}", u"1B4E28BA2FA111D2883F0016D3CCA427",
        u"1B4E28BA-2FA1-11D2-883F-0016D3CCA42G", u"1B4E28BA-2FA1-11D2-883F-0016D3CCA4270", u""}) {
    EXPECT_EQ(parseUuidText(QStringView(bad)), std::nullopt)
        << QString::fromUtf16(bad).toStdString();
  }
}

TEST(ReferenceDate, CountsSecondsFrom2001) {
  const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
  EXPECT_EQ(referenceSecondsFromDateTime(reference), 0.0);
  EXPECT_EQ(referenceSecondsFromDateTime(reference.addSecs(-1)), -1.0);
  EXPECT_EQ(dateTimeFromReferenceSeconds(86400.5), reference.addMSecs(86400500));
  const double now = referenceSecondsNow();
  EXPECT_NEAR(now, referenceSecondsFromDateTime(QDateTime::currentDateTimeUtc()), 1.0);
}

}  // namespace
}  // namespace tarnik
