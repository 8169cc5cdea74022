#include "ConfigWriter.h"

#include <filesystem>

#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"

namespace tembra {

std::string ConfigWriter::JoinEntries(const std::vector<std::string>& entries) {
  std::string value;
  for (const auto& e : entries) value += e + "<EOF>";
  return value;
}

bool ConfigWriter::Write(const std::string& folder, const Settings& settings, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "cannot create " + folder + ": " + ec.message();
    return false;
  }
  const std::string path = folder + "/config.ini";
  ConfigStore store(path, ValueCipher::Instance());
  // The client reads one plan entry per server slot and wants all three.
  const std::vector<std::string> plans(3, settings.planBase);
  const std::pair<const char16_t*, std::string> values[] = {
      {u"ServerUrl", JoinEntries(settings.servers)},
      {u"UerSetMeal", JoinEntries(plans)},
      {u"BIServer", settings.statisticsServer},
  };
  for (const auto& [key, value] : values) {
    if (!store.WriteValue(key, fromUtf8(value))) {
      error = "cannot write " + toUtf8(key) + " to " + path;
      return false;
    }
  }
  if (!ProfileFile::WriteString(path, u"Quorvi", u"HomePage", fromUtf8(settings.homePage))) {
    error = "cannot write HomePage to " + path;
    return false;
  }
  return true;
}

}  // namespace tembra
