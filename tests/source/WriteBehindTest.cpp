#include "source/WriteBehind.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace tembra {
namespace {

using namespace std::chrono_literals;

TEST(WriteBehind, TheNewestTextIsWrittenOffTheCallersThreadAndTheEndWritesWhatIsPending) {
  std::mutex m;
  std::vector<std::string> written;
  std::atomic<bool> release{false};
  const auto caller = std::this_thread::get_id();
  std::atomic<bool> onCaller{false};
  {
    WriteBehind writer([&](const std::string& text) {
      if (std::this_thread::get_id() == caller) onCaller = true;
      while (!release) std::this_thread::sleep_for(1ms);  // a slow disk
      std::lock_guard lock(m);
      written.push_back(text);
      return text != "bad";
    });
    const auto before = std::chrono::steady_clock::now();
    writer.submit("first");
    std::this_thread::sleep_for(20ms);  // the first is being written now
    for (int i = 0; i < 100; ++i) writer.submit("text " + std::to_string(i));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms) << "submitting never waits for the disk";
    release = true;
    writer.flush();
    EXPECT_EQ(writer.writes(), 2) << "the texts in between were dropped";
    writer.submit("bad");
    writer.flush();
    EXPECT_EQ(writer.failures(), 1);
    writer.submit("last");
  }
  EXPECT_FALSE(onCaller);
  EXPECT_EQ(written, (std::vector<std::string>{"first", "text 99", "bad", "last"}));
}

}  // namespace
}  // namespace tembra
