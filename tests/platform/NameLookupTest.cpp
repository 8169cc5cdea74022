#include "platform/NameLookup.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace tembra {
namespace {

TEST(NameLookup, DottedAddressResolvesToItself) {
  auto host = NameLookup::Resolve("127.0.0.1");
  ASSERT_TRUE(host.has_value());
  EXPECT_EQ(host->dotted, "127.0.0.1");
  EXPECT_EQ(host->address.s_addr, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(host->officialName, "127.0.0.1");
}

TEST(NameLookup, LocalhostGivesItsIpv4AddressAndOfficialName) {
  auto host = NameLookup::Resolve("localhost");
  ASSERT_TRUE(host.has_value());
  EXPECT_EQ(host->dotted.rfind("127.", 0), 0u) << host->dotted;
  EXPECT_EQ(host->officialName, "localhost");
}

TEST(NameLookup, NamesThatCannotResolveGiveNothing) {
  EXPECT_FALSE(NameLookup::Resolve("no-such-host.invalid").has_value());
  EXPECT_FALSE(NameLookup::Resolve("").has_value());
  // A server entry without a port leaves its path in the host name.
  EXPECT_FALSE(NameLookup::Resolve("127.0.0.1/tv").has_value());
  // The resolver must not see the name cut short at an embedded NUL.
  EXPECT_FALSE(NameLookup::Resolve(std::string("127.0.0.1\0.invalid", 18)).has_value());
}

TEST(NameLookup, BroadcastAddressKeepsItsDottedText) {
  auto host = NameLookup::Resolve("255.255.255.255");
  ASSERT_TRUE(host.has_value());
  EXPECT_EQ(host->dotted, "255.255.255.255");
  EXPECT_EQ(host->address.s_addr, INADDR_BROADCAST);
}

}  // namespace
}  // namespace tembra
