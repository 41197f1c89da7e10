#include "platform/AvahiServiceTable.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

constexpr int ipv4 = 0;
constexpr int ipv6 = 1;

AvahiService console(const QString &name, int interfaceIndex = 2) {
  return {name, QStringLiteral("_osc._udp"), QStringLiteral("local"), interfaceIndex,
          QStringLiteral("eth0")};
}

TEST(AvahiServiceTable, TheTwoProtocolReportsOfOneServiceOnOneInterfaceCountOnce) {
  AvahiServiceTable table;
  EXPECT_TRUE(table.add(console("Eos"), ipv4));
  EXPECT_FALSE(table.add(console("Eos"), ipv6));
  EXPECT_TRUE(table.add(console("Eos", 3), ipv4));  // another interface is another service
  EXPECT_EQ(table.services(), (QList{console("Eos"), console("Eos", 3)}));

  // A service stays while one of its reports does; the interface may be gone by then.
  AvahiService leaving = console("Eos");
  leaving.interfaceName.clear();
  EXPECT_FALSE(table.remove(leaving, ipv4));
  EXPECT_TRUE(table.remove(leaving, ipv6));
  EXPECT_FALSE(table.remove(leaving, ipv6));
  EXPECT_EQ(table.services(), QList{console("Eos", 3)});
}

}  // namespace
}  // namespace tarnik
