#include "mainwnd/PanelSettings.h"

#include <charconv>

#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"

namespace tembra {

namespace {
constexpr std::u16string_view kSection = u"Panel";
constexpr std::u16string_view kWidth = u"Width";
constexpr std::u16string_view kNow = u"NowOnChannels";
// Far wider than any screen: a larger value is a damaged file.
constexpr int kWidestWidth = 16384;

std::optional<int> number(const std::u16string& text) {
  const std::string s = toUtf8(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}
}  // namespace

std::string PanelSettings::defaultPath() { return XdgFolders::configHome() + "/tembra/window.ini"; }

PanelSettings::PanelSettings(std::string path) : path_(std::move(path)) {}

int PanelSettings::width() const {
  const std::optional<int> w = number(ProfileFile::ReadString(path_, kSection, kWidth, u""));
  return w && *w > 0 && *w <= kWidestWidth ? *w : 0;
}

bool PanelSettings::setWidth(int width) {
  if (width <= 0 || width > kWidestWidth) return false;
  const size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !XdgFolders::ensure(path_.substr(0, slash))) return false;
  return ProfileFile::WriteString(path_, kSection, kWidth, fromUtf8(std::to_string(width)));
}

std::optional<bool> PanelSettings::nowOnChannels() const {
  const std::optional<int> v = number(ProfileFile::ReadString(path_, kSection, kNow, u""));
  if (!v || (*v != 0 && *v != 1)) return std::nullopt;
  return *v == 1;
}

bool PanelSettings::setNowOnChannels(bool on) {
  const size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !XdgFolders::ensure(path_.substr(0, slash))) return false;
  return ProfileFile::WriteString(path_, kSection, kNow, on ? u"1" : u"0");
}

}  // namespace tembra
