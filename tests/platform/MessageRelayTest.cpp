#include "platform/MessageRelay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tembra {
namespace {

// A window whose send takes a while, as a blocking send to a busy GUI
// thread does.
class SlowWindow : public MessageTarget {
 public:
  void post(uint32_t message, uintptr_t, intptr_t) override { posted = message; }
  intptr_t send(uint32_t message, uintptr_t, intptr_t) override {
    inSend = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    sent = message;
    inSend = false;
    return 7;
  }
  bool alive() const override { return true; }
  std::atomic<uint32_t> posted{0}, sent{0};
  std::atomic<bool> inSend{false};
};

TEST(MessageRelay, HandsOnUntilDetachedAndNothingAfter) {
  SlowWindow window;
  auto relay = std::make_shared<MessageRelay>(&window);
  relay->post(WM_CATALOGUE_LOADED, 0, 0);
  EXPECT_EQ(window.posted, WM_CATALOGUE_LOADED);
  EXPECT_TRUE(relay->alive());
  relay->detach();
  relay->post(WM_AD_UPDATED, 0, 0);
  EXPECT_EQ(relay->send(WM_AD_UPDATED, 0, 0), 0);
  EXPECT_FALSE(relay->alive());
  EXPECT_EQ(window.posted, WM_CATALOGUE_LOADED);
  EXPECT_EQ(window.sent, 0u);
}

TEST(MessageRelay, DetachWaitsForASendUnderWaySoTheWindowCanGoRightAfter) {
  SlowWindow window;
  auto relay = std::make_shared<MessageRelay>(&window);
  std::thread worker([relay] { relay->send(WM_AD_UPDATED, 0, 0); });
  while (!window.inSend) std::this_thread::yield();
  relay->detach();
  // Had detach not waited, the send would still be inside the window here.
  EXPECT_FALSE(window.inSend);
  EXPECT_EQ(window.sent, WM_AD_UPDATED);
  worker.join();
}

}  // namespace
}  // namespace tembra
