#include "stats/MachineFingerprint.h"

#include <dirent.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/Hex.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

namespace fs = std::filesystem;

std::string firstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// The name of the subsystem a sysfs device folder belongs to, or empty.
std::string subsystemOf(const fs::path& device) {
  std::error_code ec;
  const fs::path link = fs::read_symlink(device / "subsystem", ec);
  if (ec) return {};
  return link.filename().string();
}

std::optional<std::string> hardwareAddress(const fs::path& interfaceDir) {
  const std::string text = firstLine(interfaceDir / "address");
  uint8_t bytes[6];
  size_t count = 0;
  size_t i = 0;
  while (count < 6) {
    if (i + 2 > text.size()) return std::nullopt;
    const int hi = hexDigitValue(text[i]), lo = hexDigitValue(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[count++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
    if (count < 6) {
      if (i >= text.size() || text[i] != ':') return std::nullopt;
      ++i;
    }
  }
  char out[18];
  std::snprintf(out, sizeof out, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2],
                bytes[3], bytes[4], bytes[5]);
  return std::string(out);
}

std::string unquote(std::string value) {
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
    value.pop_back();
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    const char quote = value.front();
    std::string out;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
      if (quote == '"' && value[i] == '\\' && i + 2 < value.size()) ++i;
      out += value[i];
    }
    return out;
  }
  return value;
}

}  // namespace

bool MachineFingerprint::isPhysicalAdapter(const std::string& interfaceDir) {
  std::error_code ec;
  fs::path device = fs::canonical(fs::path(interfaceDir) / "device", ec);
  if (ec) return false;
  for (; !device.empty() && device != device.root_path(); device = device.parent_path()) {
    const std::string subsystem = subsystemOf(device);
    if (subsystem == "pci") return true;
    if (subsystem == "usb") return false;
    if (device.filename() == "devices") break;
  }
  return false;
}

std::u16string MachineFingerprint::readMachineAddress(const std::string& netClassDir) {
  struct Interface {
    long index;
    fs::path dir;
  };
  std::vector<Interface> interfaces;
  std::error_code ec;
  for (fs::directory_iterator it(netClassDir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string index = firstLine(it->path() / "ifindex");
    char* stop = nullptr;
    const long value = std::strtol(index.c_str(), &stop, 10);
    interfaces.push_back({index.empty() || *stop != '\0' ? LONG_MAX : value, it->path()});
  }
  std::sort(interfaces.begin(), interfaces.end(), [](const Interface& a, const Interface& b) {
    return a.index != b.index ? a.index < b.index : a.dir < b.dir;
  });
  for (const auto& i : interfaces) {
    if (!isPhysicalAdapter(i.dir.string())) continue;
    if (auto address = hardwareAddress(i.dir)) return asciiToUtf16(*address);
  }
  return {};
}

std::u16string MachineFingerprint::windowsOsName(const WindowsVersion& v) {
  const uint16_t suite = v.suiteMask;
  const bool workstation = v.productType == 1;
  if (v.major == 4) {
    if (v.minor == 0) {
      if (v.platformId == kPlatformNt) return u"Microsoft Windows NT 4.0";
      if (v.platformId == kPlatform9x) return u"Microsoft Windows 95";
      return {};
    }
    if (v.minor == 10) return u"Microsoft Windows 98";
    if (v.minor == 90) return u"Microsoft Windows Me";
    return {};
  }
  if (v.major == 5) {
    if (v.minor == 0) {
      std::u16string name = u"Microsoft Windows 2000";
      if (suite == 0x0002) name += u" Advanced Server";
      if (suite == 0x0080) name += u" Datacenter Server";
      return name;
    }
    if (v.minor == 1) {
      std::u16string name = u"Microsoft Windows XP";
      if (suite == 0x0040) return name + u" Embedded";
      if (suite == 0x0200) return name + u" Home Edition";
      return name + u" Professional";
    }
    if (v.minor == 2) {
      if (workstation && v.processorArchitecture == kArchitectureX64)
        return u"Microsoft Windows XP Professional x64 Edition";
      if (v.serverR2) {
        std::u16string name = u"Microsoft Windows Server 2003 R2";
        if (suite == 0x2000) name += u" Storage Server";
        return name;
      }
      std::u16string name = u"Microsoft Windows Server 2003";
      switch (suite) {
        case 0x0002: return name + u" Enterprise Edition";
        case 0x0080: return name + u" Datacenter Edition";
        case 0x0400: return name + u" Web Edition";
        case 0x2000: return name + u" Storage Server";
        case 0x4000: return name + u" Compute Cluster Edition";
        default: return name;
      }
    }
    return {};
  }
  if (v.major == 6) {
    if (v.minor == 0) {
      if (workstation) {
        std::u16string name = u"Microsoft Windows Vista";
        if (suite == 0x0200) name += u" Home";
        return name;
      }
      std::u16string name = u"Microsoft Windows Server 2008";
      if (suite == 0x0080) name += u", Datacenter Server";
      if (suite == 0x0002) name += u" Enterprise";
      return name;
    }
    if (v.minor == 1) return workstation ? u"Microsoft Windows 7" : u"Microsoft Windows Server 2008 R2";
    return {};
  }
  return {};
}

bool MachineFingerprint::readOsName(std::u16string& name, const std::string& osReleasePath) {
  name.clear();
  std::ifstream in(osReleasePath);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("PRETTY_NAME=")) continue;
    std::u16string value = fromUtf8(unquote(line.substr(12)));
    if (value.size() > kMaxOsNameChars) {
      size_t cut = kMaxOsNameChars;
      if (value[cut - 1] >= 0xD800 && value[cut - 1] <= 0xDBFF) --cut;
      value.resize(cut);
    }
    name = std::move(value);
    break;
  }
  return true;
}

}  // namespace tembra
