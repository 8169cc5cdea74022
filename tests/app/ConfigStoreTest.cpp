#include "app/ConfigStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "TempDir.h"
#include "platform/ModulePath.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

const ValueCipher::Key kTestKey = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                   0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

class ConfigStoreTest : public ::testing::Test {
 protected:
  void put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  const test::TempDir tmp_{"configstore"};
  const std::string dir_ = tmp_.path();
  const std::string path_ = tmp_.file("config.ini");
  ValueCipher cipher_{kTestKey};
};

TEST_F(ConfigStoreTest, WritesEncipheredAndReadsBack) {
  ConfigStore store(path_, cipher_);
  ASSERT_TRUE(store.WriteValue(u"WEB_TV_AD_RIGHT", u"101<EOF>Advertise\\Fix\\index.html"));
  EXPECT_EQ(store.ReadValue(u"WEB_TV_AD_RIGHT", true), u"101<EOF>Advertise\\Fix\\index.html");
  const std::u16string stored = store.ReadValue(u"WEB_TV_AD_RIGHT", false);
  EXPECT_EQ(stored, cipher_.EncryptValue(u"101<EOF>Advertise\\Fix\\index.html"));
  EXPECT_EQ(ProfileFile::ReadString(path_, u"Quorvi", u"WEB_TV_AD_RIGHT", u""), stored);
  EXPECT_EQ(store.ReadValue(u"ServerUrl", true), u"");
}

TEST_F(ConfigStoreTest, ReadsHandWrittenFile) {
  const std::string server = toUtf8(cipher_.EncryptValue(u"http://127.0.0.1:1/<EOF>"));
  put("[Quorvi]\r\nHomePage = http://home.example/?a=1&b=\"2\" \r\nServerUrl=" + server +
      "\r\nBIServer=NOTHEX\r\n[Other]\r\nUerSetMeal=" + server + "\r\n");
  ConfigStore store(path_, cipher_);
  EXPECT_EQ(store.ReadValue(u"HomePage", false), u"http://home.example/?a=1&b=\"2\"");
  EXPECT_EQ(store.ReadValue(u"ServerUrl", true), u"http://127.0.0.1:1/<EOF>");
  EXPECT_EQ(store.ReadValue(u"BIServer", true), u"");
  EXPECT_EQ(store.ReadValue(u"BIServer", false), u"NOTHEX");
  EXPECT_EQ(store.ReadValue(u"UerSetMeal", true), u"");
  EXPECT_EQ(store.ReadValue(u"HomePage", true), u"");
}

TEST_F(ConfigStoreTest, RefusedWritesKeepTheOldValue) {
  ConfigStore store(path_, cipher_);
  ASSERT_TRUE(store.WriteValue(u"WEB_TV_AD_POP", u"old"));
  const std::string before = contents();
  EXPECT_FALSE(store.WriteValue(u"WEB_TV_AD_POP", u""));
  EXPECT_FALSE(store.WriteValue(u"WEB_TV_AD_POP", std::u16string(497, u'x')));
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(store.ReadValue(u"WEB_TV_AD_POP", true), u"old");

  ASSERT_TRUE(store.WriteValue(u"WEB_TV_AD_POP", std::u16string(496, u'x')));
  EXPECT_EQ(store.ReadValue(u"WEB_TV_AD_POP", false).size(), 1008u);
  EXPECT_EQ(store.ReadValue(u"WEB_TV_AD_POP", true), std::u16string(496, u'x'));

  ConfigStore nowhere(dir_ + "/missing/config.ini", cipher_);
  EXPECT_FALSE(nowhere.WriteValue(u"WEB_TV_AD_POP", u"x"));
}

TEST_F(ConfigStoreTest, ConcurrentReadersAndWritersNeverSeeATornFile) {
  ConfigStore store(path_, cipher_);
  ConfigStore otherStore(path_, cipher_);  // a second process would have its own lock
  const std::vector<std::u16string> values = {u"a", u"http://127.0.0.1:8080/<EOF>", std::u16string(300, u'z'),
                                              u"Grüße \U0001F4FA", std::u16string(496, u'q')};
  const std::vector<std::u16string> keys = {u"WEB_TV_AD_RIGHT", u"WEB_TV_AD_POP", u"BIServer"};
  for (const auto& key : keys) ASSERT_TRUE(store.WriteValue(key, values[0]));

  const std::set<std::u16string> known(values.begin(), values.end());
  std::atomic<int> badReads{0};
  std::atomic<int> failedWrites{0};
  std::vector<std::thread> threads;
  for (int w = 0; w < 2; ++w) {
    threads.emplace_back([&, w] {
      for (int i = 0; i < 60; ++i)
        if (!store.WriteValue(keys[(i + w) % keys.size()], values[(i * 3 + w) % values.size()])) ++failedWrites;
    });
  }
  for (int r = 0; r < 3; ++r) {
    threads.emplace_back([&, r] {
      ConfigStore& reader = r == 0 ? otherStore : store;
      for (int i = 0; i < 150; ++i)
        if (!known.count(reader.ReadValue(keys[(i + r) % keys.size()], true))) ++badReads;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failedWrites, 0);
  EXPECT_EQ(badReads, 0);
  for (const auto& key : keys) EXPECT_TRUE(known.count(store.ReadValue(key, true)));
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir_)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"config.ini"});
}

TEST_F(ConfigStoreTest, InstanceLivesBesideTheExecutableWithTheBuiltInKey) {
  const std::string previous = ModulePath::folder();
  ModulePath::set(dir_);
  std::vector<ConfigStore*> seen(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&, i] { seen[i] = &ConfigStore::Instance(); });
  for (auto& t : threads) t.join();
  ModulePath::set(previous);
  for (auto* s : seen) EXPECT_EQ(s, &ConfigStore::Instance());

  ConfigStore& store = ConfigStore::Instance();
  EXPECT_EQ(store.path(), dir_ + "/config.ini");
  ASSERT_TRUE(store.WriteValue(u"BIServer", u"http://127.0.0.1:9/collect"));
  EXPECT_EQ(ValueCipher(ValueCipher::DefaultKey()).DecryptValue(store.ReadValue(u"BIServer", false)),
            u"http://127.0.0.1:9/collect");
}

}  // namespace
}  // namespace tembra
