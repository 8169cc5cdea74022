#include "ads/AdUpdater.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "ads/AdManifest.h"
#include "ads/AdSlot.h"
#include "ads/ExtractFolder.h"
#include "ads/PackageFolder.h"
#include "app/ConfigStore.h"
#include "platform/HttpClient.h"
#include "platform/UniqueFd.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

using Action = AdRefreshReport::Action;
using End = AdRefreshReport::End;

bool writeWhole(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Keeps the downloaded body as a hidden file beside the package file until
// it has proved to be a usable package; only then does it become the
// package file.
bool storeDownload(const std::string& packageFile, const std::string& body, std::string& path,
                   std::string& problem) {
  const size_t slash = packageFile.rfind('/');
  if (!ExtractFolder::MakePath(packageFile.substr(0, slash))) {
    problem = "cannot create " + packageFile.substr(0, slash);
    return false;
  }
  PackageFolder::RemoveLeftovers(packageFile);
  path = packageFile.substr(0, slash + 1) + "." + packageFile.substr(slash + 1) + ".tmp-XXXXXX";
  UniqueFd fd(::mkstemp(path.data()));
  if (!fd.valid()) {
    problem = "cannot create a file beside " + packageFile + ": " + std::strerror(errno);
    path.clear();
    return false;
  }
  if (!writeWhole(fd.get(), body) || ::close(fd.release()) != 0) {
    problem = "cannot write " + path + ": " + std::strerror(errno);
    ::unlink(path.c_str());
    path.clear();
    return false;
  }
  return true;
}

void updatePackage(const AdUpdater::Setup& setup, const AdSlot& slot, int64_t modifyTime,
                   const std::u16string& url, AdRefreshReport::Ad& ad) {
  HttpResponse response;
  try {
    response = HttpClient::Get(toUtf8(url), AdUpdater::kConnectTimeoutMs, AdUpdater::kConnectRetries,
                               AdUpdater::kMaxPackageBytes);
  } catch (const HttpTransportError& error) {
    ad.action = Action::DownloadFailed;
    ad.detail = error.what();
    return;
  }
  if (response.status != 200) {
    ad.action = Action::DownloadFailed;
    ad.detail = "status " + std::to_string(response.status);
    return;
  }
  const std::string packageFile = setup.programFolder + std::string(slot.packageFile);
  std::string download;
  if (!storeDownload(packageFile, response.body, download, ad.detail)) {
    ad.action = Action::PackageRefused;
    return;
  }
  const PackageFolder::Result installed =
      PackageFolder::Install(download, setup.programFolder + std::string(slot.folder));
  if (!installed.installed) {
    ::unlink(download.c_str());
    ad.action = Action::PackageRefused;
    ad.detail = installed.problem;
    return;
  }
  if (::rename(download.c_str(), packageFile.c_str()) != 0) ::unlink(download.c_str());
  const std::u16string value = slot.PackageValue(modifyTime);
  if (!setup.config->WriteValue(slot.key, value)) {
    ad.action = Action::WriteFailed;
    ad.detail = "cannot write " + setup.config->path();
    return;
  }
  ad.action = Action::PackageStored;
  ad.value = value;
}

// A package-form value whose page is not on disk (the program folder was
// replaced or cleaned, or an earlier unpack was lost) names nothing the pane
// can show, so its time must not keep the package from being fetched again.
// Read now rather than before the pass, so that a second ad for the slot
// sees what the first one restored.
bool storedPageMissing(const AdUpdater::Setup& setup, const AdSlot& slot) {
  const std::u16string value = setup.config->ReadValue(slot.key, true);
  if (AdSlot::PagePart(value).size() == value.size()) return false;  // link form or nothing stored
  std::string page = toUtf8(AdSlot::PagePart(value));
  for (char& c : page)
    if (c == '\\') c = '/';
  struct stat info {};
  return page.empty() || ::stat((setup.programFolder + page).c_str(), &info) != 0 || !S_ISREG(info.st_mode);
}

void updateSlot(const AdUpdater::Setup& setup, const AdSlot& slot, const AdEntry& entry, AdRefreshReport::Ad& ad) {
  ad.pageMissing = storedPageMissing(setup, slot);
  if (ad.modifyTime <= ad.storedTime && !ad.pageMissing) {
    ad.action = Action::UpToDate;
    return;
  }
  const int64_t type = AdSlot::ParseNumber(entry.type);
  if (type == 1) {
    if (setup.config->WriteValue(slot.key, entry.filePath)) {
      ad.action = Action::LinkStored;
      ad.value = entry.filePath;
    } else {
      ad.action = Action::WriteFailed;
      ad.detail = entry.filePath.empty() ? "an empty address is never stored" : "cannot write " + setup.config->path();
    }
  } else if (type == 2) {
    updatePackage(setup, slot, ad.modifyTime, entry.filePath, ad);
  } else {
    ad.action = Action::UnknownType;
  }
}

}  // namespace

AdRefreshReport AdUpdater::RunPass(const Setup& given) {
  AdRefreshReport report;
  Setup setup = given;
  if (!setup.programFolder.empty() && setup.programFolder.back() != '/') setup.programFolder.push_back('/');
  if (setup.server.empty() || setup.config == nullptr) {
    report.end = End::NoServer;
    return report;
  }
  HttpResponse manifest;
  try {
    manifest = HttpClient::Get(toUtf8(setup.server + u"pcad.action"), kConnectTimeoutMs, kConnectRetries,
                               kMaxManifestBytes);
  } catch (const HttpTransportError& error) {
    report.end = End::ManifestFailed;
    report.detail = error.what();
    return report;
  }
  // Stored once, before any ad: two ads for one slot both compare with
  // what was stored before this pass.
  const int64_t rightTime = AdSlot::StoredTime(setup.config->ReadValue(AdSlot::Right().key, true));
  const int64_t popTime = AdSlot::StoredTime(setup.config->ReadValue(AdSlot::Pop().key, true));
  report.end = End::NoManifest;
  if (manifest.status != 200) {
    report.detail = "status " + std::to_string(manifest.status);
    return report;
  }
  if (manifest.body.empty()) {
    report.detail = "empty reply";
    return report;
  }
  const auto ads = AdManifest::Parse(fromUtf8(manifest.body));
  if (!ads) {
    report.detail = "no result element";
    return report;
  }
  report.end = End::Done;
  for (const AdEntry& entry : *ads) {
    AdRefreshReport::Ad ad;
    ad.key = entry.key;
    ad.type = entry.type;
    ad.modifyTime = AdSlot::ParseNumber(entry.modifyTime);
    const AdSlot* slot = AdSlot::Find(entry.key);
    if (slot == nullptr) {
      ad.action = Action::UnknownKey;
    } else {
      ad.storedTime = slot == &AdSlot::Right() ? rightTime : popTime;
      updateSlot(setup, *slot, entry, ad);
      if (slot->notifiesWindow && setup.window != nullptr && setup.window->alive()) {
        setup.window->send(kMessage, 0, 0);
        ++report.messagesSent;
      }
    }
    report.ads.push_back(std::move(ad));
  }
  return report;
}

struct AdUpdater::Shared {
  mutable std::mutex lock;  // guards done and report
  mutable std::condition_variable ended;
  bool done = false;
  AdRefreshReport report;
};

AdUpdater::AdUpdater(std::string programFolder, ConfigStore& config, std::u16string server, MessageTarget* window)
    : AdUpdater(std::move(programFolder), config, std::move(server),
                std::shared_ptr<MessageTarget>(std::shared_ptr<MessageTarget>(), window)) {}

AdUpdater::AdUpdater(std::string programFolder, ConfigStore& config, std::u16string server,
                     std::shared_ptr<MessageTarget> window)
    : shared_(std::make_shared<Shared>()) {
  Setup setup{std::move(programFolder), &config, std::move(server), window.get()};
  std::thread([setup = std::move(setup), shared = shared_, keep = std::move(window)] {
    AdRefreshReport report = RunPass(setup);
    std::lock_guard guard(shared->lock);
    shared->report = std::move(report);
    shared->done = true;
    shared->ended.notify_all();
  }).detach();
}

AdUpdater::~AdUpdater() = default;

bool AdUpdater::WaitForPass(std::chrono::milliseconds timeout) const {
  std::unique_lock guard(shared_->lock);
  return shared_->ended.wait_for(guard, timeout, [this] { return shared_->done; });
}

AdRefreshReport AdUpdater::report() const {
  std::lock_guard guard(shared_->lock);
  return shared_->report;
}

}  // namespace tembra
