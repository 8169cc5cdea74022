#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "ads/AdUpdater.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "platform/Utf.h"
#include "tools/Commands.h"
#include "tools/KeyOption.h"

namespace tembra::tools {

namespace {

int usage(const char* problem) {
  std::fprintf(stderr, "tembra-tool: %s\n\n%s", problem, kUsage);
  return 2;
}

// Stands in for the main window: says when the right pane would reload.
class PrintingWindow : public MessageTarget {
 public:
  void post(uint32_t message, uintptr_t, intptr_t) override { std::printf("posted 0x%" PRIX32 "\n", message); }
  intptr_t send(uint32_t message, uintptr_t, intptr_t) override {
    std::printf("sent 0x%" PRIX32 " (right pane reloads)\n", message);
    std::fflush(stdout);
    return 0;
  }
  bool alive() const override { return true; }
};

bool failed(AdRefreshReport::Action action) {
  using Action = AdRefreshReport::Action;
  return action == Action::DownloadFailed || action == Action::PackageRefused || action == Action::WriteFailed;
}

// One pass with DIR as the program folder; one line per ad of the manifest:
// key, type, modifyTime, stored time, what happened and the value written.
int refresh(const std::string& base, std::string folder, const ValueCipher& cipher) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "tembra-tool: '%s' is not a folder\n", folder.c_str());
    return 2;
  }
  if (folder.back() != '/') folder.push_back('/');
  ConfigStore config(folder + "config.ini", cipher);
  PrintingWindow window;
  const AdRefreshReport report = AdUpdater::RunPass({folder, &config, fromUtf8(base), &window});
  if (report.end != AdRefreshReport::End::Done) {
    std::fprintf(stderr, "tembra-tool: %s%s%s\n", AdRefreshReport::Name(report.end), report.detail.empty() ? "" : ": ",
                 report.detail.c_str());
    return 1;
  }
  int failures = 0;
  for (const auto& ad : report.ads) {
    std::printf("%s\ttype %s\tmodifyTime %" PRId64 "\tstored %" PRId64 "\t%s", toUtf8(ad.key).c_str(),
                toUtf8(ad.type).c_str(), ad.modifyTime, ad.storedTime, AdRefreshReport::Name(ad.action));
    if (!ad.value.empty()) std::printf("\t%s", toUtf8(ad.value).c_str());
    if (!ad.detail.empty()) std::printf("\t(%s)", ad.detail.c_str());
    std::putchar('\n');
    if (failed(ad.action)) ++failures;
  }
  std::printf("%zu ads, %d messages sent\n", report.ads.size(), report.messagesSent);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int runAds(const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  std::optional<std::array<uint8_t, 16>> key;
  if (!takeKeyOption(args, key)) return 2;
  if (args.size() != 3 || args[0] != "refresh" || args[1].empty() || args[2].empty()) {
    return usage("ads takes refresh BASEURL DIR");
  }
  const ValueCipher cipher(key.value_or(ValueCipher::DefaultKey()));
  return refresh(args[1], args[2], cipher);
}

}  // namespace tembra::tools
