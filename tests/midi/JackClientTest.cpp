// The clients of ours on a JACK server of the test's own (scripts/with-jack).

#include <gtest/gtest.h>

#include "midi/JackClient.h"

namespace kestralux {
namespace {

// The library takes a server for gone for every client of the program once one of them heard
// it, and frees them all at the next open: so a loss heard by any one client stops them all,
// and only a client opened afterwards is of use.
class JackClientLoss : public ::testing::TestWithParam<int> {};

TEST_P(JackClientLoss, HeardByOneClientStopsEveryClientOpenedBefore) {
  std::unique_ptr<JackClient> clients[2] = {JackClient::open("kestralux-test-one"), JackClient::open("kestralux-test-two")};
  ASSERT_TRUE(clients[0] && clients[1]) << "run under scripts/with-jack";
  ASSERT_FALSE(clients[0]->lost() || clients[1]->lost());

  clients[GetParam()]->heardServerGone();
  for (const auto& client : clients) {
    EXPECT_TRUE(client->lost());
    bool used = false;
    EXPECT_FALSE(client->use([&](jack_client_t*) { used = true; }));
    EXPECT_FALSE(used);
    EXPECT_FALSE(client->activate());
  }

  const std::unique_ptr<JackClient> later = JackClient::open("kestralux-test-later");
  ASSERT_TRUE(later);
  EXPECT_FALSE(later->lost());
  EXPECT_TRUE(later->activate());
}

INSTANTIATE_TEST_SUITE_P(EitherClient, JackClientLoss, ::testing::Values(0, 1));

}  // namespace
}  // namespace kestralux
