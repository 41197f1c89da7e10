#include "shell/AppcastFeed.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(DottedVersion, ComparesWholeNumbersPartByPart) {
  const auto version = [](const char *text) {
    return *DottedVersion::parse(QString::fromLatin1(text));
  };
  EXPECT_LT(version("1.9"), version("1.10"));
  EXPECT_LT(version("1.2"), version("1.2.1"));
  EXPECT_EQ(version("1.2"), version("1.2.0"));
  EXPECT_EQ(version("01.2"), version("1.2"));
  EXPECT_GT(version("2"), version("1.99.99"));
  for (const char *text : {"", "1.", ".1", "1..2", "1.2b", "v1.2", "1.+2", "1.-2", "1. 2", " 1.2",
                           "1.2\n", "1,2", "99999999999999999999"})
    EXPECT_FALSE(DottedVersion::parse(QString::fromLatin1(text))) << text;
}

QByteArray appcast(const QByteArray &items) {
  return "<?xml version=\"1.0\"?>\n"
         "<rss version=\"2.0\" xmlns:sparkle=\"https://example.com/appcast-namespace\">"
         "<channel><title>Tarnik</title>" +
         items + "</channel></rss>";
}

QByteArray item(const QByteArray &version, const QByteArray &os, const QByteArray &extra = {}) {
  return "<item><title>Tarnik " + version +
         "</title><description>Notes</description><enclosure url=\"https://dl.example.com/"
         "Tarnik-" +
         version + ".tar.gz\" length=\"100\" sparkle:version=\"" + version +
         "\" sparkle:edSignature=\"c2ln\" sparkle:os=\"" + os + "\" " + extra + "/></item>";
}

TEST(AppcastFeed, OffersTheNewestLinuxItemAboveTheCurrentVersion) {
  const struct {
    const char *why;
    QByteArray items;
    std::optional<QString> offered;
  } rows[] = {
      {"only older or equal", item("1.1", "linux") + item("1.2.0", "linux"), std::nullopt},
      {"newest wins, order aside",
       item("1.3", "linux") + item("1.10", "linux") + item("1.4", "linux"), QStringLiteral("1.10")},
      {"other systems never count",
       item("9.0", "macos") + item("8.0", "windows") + item("1.3", "linux") + item("7.0", "Linux"),
       QStringLiteral("1.3")},
      {"no system named is not Linux", item("1.5", "linux").replace(" sparkle:os=\"linux\"", ""),
       std::nullopt},
      {"unreadable versions are skipped", item("2.0beta", "linux") + item("1.3", "linux"),
       QStringLiteral("1.3")},
      {"an unverifiable enclosure is skipped",
       item("2.0", "linux").replace("sparkle:edSignature=\"c2ln\"", "") +
           item("3.0", "linux").replace("length=\"100\"", "length=\"-1\"") + item("1.3", "linux"),
       QStringLiteral("1.3")},
  };
  for (const auto &row : rows) {
    const auto feed = AppcastFeed::parse(appcast(row.items));
    ASSERT_TRUE(feed) << row.why;
    const auto offered = feed->newestUpdate(QStringLiteral("1.2"));
    EXPECT_EQ(offered ? std::optional(offered->version) : std::nullopt, row.offered) << row.why;
  }
}

TEST(AppcastFeed, FindsTheNewestUnsignedLinuxItemAboveTheCurrentVersion) {
  const auto withoutSignature = [](const char *version, const char *os = "linux") {
    return item(version, os).replace("sparkle:edSignature=\"c2ln\"", "");
  };
  const struct {
    const char *why;
    QByteArray items;
    std::optional<QString> found;
  } rows[] = {
      {"signed only", item("1.3", "linux"), std::nullopt},
      {"newest unsigned", withoutSignature("1.3") + withoutSignature("1.4") + item("1.5", "linux"),
       QStringLiteral("1.4")},
      {"older or equal", withoutSignature("1.1") + withoutSignature("1.2"), std::nullopt},
      {"other systems", withoutSignature("2.0", "macos"), std::nullopt},
  };
  for (const auto &row : rows) {
    const auto feed = AppcastFeed::parse(appcast(row.items));
    ASSERT_TRUE(feed) << row.why;
    const auto found = feed->newestUnsignedUpdate(QStringLiteral("1.2"));
    EXPECT_EQ(found ? std::optional(found->version) : std::nullopt, row.found) << row.why;
  }
}

TEST(AppcastFeed, RefusesWhatIsNotAWellFormedRssChannel) {
  const struct {
    const char *why;
    QByteArray xml;
    const char *reason;
  } rows[] = {
      {"cut off", appcast(item("1.3", "linux")).chopped(12), "not valid XML"},
      {"garbage after the channel", appcast({}) + "<rss>", "not valid XML"},
      {"undeclared prefix", appcast(item("1.3", "linux")).replace("xmlns:sparkle", "xmlns:other"),
       "not valid XML"},
      {"not XML", "{\"version\": \"1.3\"}", "not valid XML"},
      {"an Atom feed", "<feed xmlns=\"http://www.w3.org/2005/Atom\"></feed>", "not an RSS 2.0"},
      {"RSS without a channel", "<rss version=\"2.0\"></rss>", "not an RSS 2.0"},
      {"RSS 0.91", "<rss version=\"0.91\"><channel></channel></rss>", "not an RSS 2.0"},
  };
  for (const auto &row : rows) {
    const auto feed = AppcastFeed::parse(row.xml);
    ASSERT_FALSE(feed) << row.why;
    EXPECT_TRUE(feed.error().contains(QLatin1String(row.reason)))
        << row.why << ": " << feed.error().toStdString();
  }
}

}  // namespace
}  // namespace tarnik
