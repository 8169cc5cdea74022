#include "stats/MachineFingerprint.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "stats/StatsTestSupport.h"

namespace tembra {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;
using V = MachineFingerprint::WindowsVersion;

// A miniature sysfs: devices under devices/, buses under bus/, interfaces
// under class/net/ with device links, as the kernel lays them out.
class FakeSysfs {
 public:
  FakeSysfs() : dir_("sysfs") {
    fs::create_directories(root() + "/bus/pci");
    fs::create_directories(root() + "/bus/usb");
    fs::create_directories(root() + "/bus/virtio");
    fs::create_directories(root() + "/class/net");
  }
  std::string root() const { return dir_.path(); }
  std::string net() const { return root() + "/class/net"; }

  // A device folder (relative to devices/) on a bus ("" for none).
  void device(const std::string& path, const std::string& bus) {
    const fs::path p = root() + "/devices/" + path;
    fs::create_directories(p);
    if (!bus.empty()) fs::create_directory_symlink(root() + "/bus/" + bus, p / "subsystem");
  }
  // An interface; devicePath empty for a virtual one without a device.
  void interface(const std::string& name, int index, const std::string& mac,
                 const std::string& devicePath) {
    const fs::path p = net() + "/" + name;
    fs::create_directories(p);
    writeFile((p / "ifindex").string(), std::to_string(index) + "\n");
    writeFile((p / "address").string(), mac + "\n");
    if (!devicePath.empty()) fs::create_directory_symlink(root() + "/devices/" + devicePath, p / "device");
  }

 private:
  TempDir dir_;
};

TEST(MachineFingerprint, FirstPciAdapterInIndexOrderGivesTheAddress) {
  FakeSysfs sys;
  sys.device("pci0000:00", "");
  sys.device("pci0000:00/0000:00:03.0", "pci");
  sys.device("pci0000:00/0000:00:03.0/virtio2", "virtio");
  sys.device("pci0000:00/0000:00:05.0", "pci");
  sys.device("pci0000:00/0000:00:14.0", "pci");
  sys.device("pci0000:00/0000:00:14.0/usb1/1-1", "usb");
  sys.device("pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0", "usb");
  sys.interface("lo", 1, "00:00:00:00:00:00", "");
  sys.interface("usb0", 2, "02:00:00:00:00:01", "pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0");
  sys.interface("wlan0", 4, "a0:b1:c2:d3:e4:f5", "pci0000:00/0000:00:05.0");
  sys.interface("eth0", 3, "52:54:00:12:34:5e", "pci0000:00/0000:00:03.0/virtio2");
  EXPECT_FALSE(MachineFingerprint::isPhysicalAdapter(sys.net() + "/lo"));
  EXPECT_FALSE(MachineFingerprint::isPhysicalAdapter(sys.net() + "/usb0"));
  EXPECT_TRUE(MachineFingerprint::isPhysicalAdapter(sys.net() + "/eth0"));
  EXPECT_TRUE(MachineFingerprint::isPhysicalAdapter(sys.net() + "/wlan0"));
  // eth0 has the lower index, whatever order the folder lists them in.
  EXPECT_EQ(MachineFingerprint::readMachineAddress(sys.net()), u"52-54-00-12-34-5E");
}

TEST(MachineFingerprint, NoPciAdapterGivesAnEmptyAddress) {
  FakeSysfs sys;
  sys.device("platform/soc/eth", "");
  sys.device("pci0000:00/0000:00:14.0", "pci");
  sys.device("pci0000:00/0000:00:14.0/usb1/1-2", "usb");
  sys.interface("lo", 1, "00:00:00:00:00:00", "");
  sys.interface("end0", 2, "11:22:33:44:55:66", "platform/soc/eth");
  sys.interface("enx0", 3, "11:22:33:44:55:67", "pci0000:00/0000:00:14.0/usb1/1-2");
  EXPECT_EQ(MachineFingerprint::readMachineAddress(sys.net()), u"");
  EXPECT_EQ(MachineFingerprint::readMachineAddress(sys.root() + "/missing"), u"");
}

TEST(MachineFingerprint, AnAdapterWithoutAReadableAddressIsPassedOver) {
  FakeSysfs sys;
  sys.device("pci0000:00/0000:00:03.0", "pci");
  sys.device("pci0000:00/0000:00:04.0", "pci");
  sys.interface("eth0", 2, "garbage", "pci0000:00/0000:00:03.0");
  sys.interface("eth1", 3, "0a:0b:0c:0d:0e:0f:10:11", "pci0000:00/0000:00:04.0");
  EXPECT_EQ(MachineFingerprint::readMachineAddress(sys.net()), u"0A-0B-0C-0D-0E-0F");
}

TEST(MachineFingerprint, ThisMachineGivesAnAddressOfTheRightShapeOrNone) {
  const std::u16string mac = MachineFingerprint::readMachineAddress();
  if (mac.empty()) GTEST_SKIP() << "no PCI network adapter on this machine";
  ASSERT_EQ(mac.size(), 17u);
  for (size_t i = 0; i < mac.size(); ++i) {
    if (i % 3 == 2)
      EXPECT_EQ(mac[i], u'-');
    else
      EXPECT_TRUE((mac[i] >= u'0' && mac[i] <= u'9') || (mac[i] >= u'A' && mac[i] <= u'F'));
  }
}

V ver(uint32_t major, uint32_t minor, uint8_t product = 1, uint16_t suite = 0) {
  V v;
  v.major = major;
  v.minor = minor;
  v.productType = product;
  v.suiteMask = suite;
  return v;
}

TEST(MachineFingerprint, WindowsNameTable) {
  struct Row {
    V version;
    const char16_t* name;
  };
  V nt4 = ver(4, 0);
  V w95 = ver(4, 0);
  w95.platformId = MachineFingerprint::kPlatform9x;
  V xp64 = ver(5, 2, 1);
  xp64.processorArchitecture = MachineFingerprint::kArchitectureX64;
  V r2 = ver(5, 2, 3);
  r2.serverR2 = true;
  V r2storage = ver(5, 2, 3, 0x2000);
  r2storage.serverR2 = true;
  V win32s = ver(4, 0);
  win32s.platformId = 0;
  const Row rows[] = {
      {nt4, u"Microsoft Windows NT 4.0"},
      {w95, u"Microsoft Windows 95"},
      {win32s, u""},
      {ver(4, 10), u"Microsoft Windows 98"},
      {ver(4, 90), u"Microsoft Windows Me"},
      {ver(4, 3), u""},
      {ver(5, 0, 3), u"Microsoft Windows 2000"},
      {ver(5, 0, 3, 0x0002), u"Microsoft Windows 2000 Advanced Server"},
      {ver(5, 0, 3, 0x0080), u"Microsoft Windows 2000 Datacenter Server"},
      {ver(5, 0, 3, 0x0082), u"Microsoft Windows 2000"},
      {ver(5, 1, 1, 0x0040), u"Microsoft Windows XP Embedded"},
      {ver(5, 1, 1, 0x0200), u"Microsoft Windows XP Home Edition"},
      {ver(5, 1, 1, 0x0300), u"Microsoft Windows XP Professional"},
      {ver(5, 1, 1, 0), u"Microsoft Windows XP Professional"},
      {xp64, u"Microsoft Windows XP Professional x64 Edition"},
      {r2, u"Microsoft Windows Server 2003 R2"},
      {r2storage, u"Microsoft Windows Server 2003 R2 Storage Server"},
      {ver(5, 2, 1), u"Microsoft Windows Server 2003"},
      {ver(5, 2, 3, 0x0002), u"Microsoft Windows Server 2003 Enterprise Edition"},
      {ver(5, 2, 3, 0x0080), u"Microsoft Windows Server 2003 Datacenter Edition"},
      {ver(5, 2, 3, 0x0400), u"Microsoft Windows Server 2003 Web Edition"},
      {ver(5, 2, 3, 0x2000), u"Microsoft Windows Server 2003 Storage Server"},
      {ver(5, 2, 3, 0x4000), u"Microsoft Windows Server 2003 Compute Cluster Edition"},
      {ver(5, 3), u""},
      {ver(6, 0, 1), u"Microsoft Windows Vista"},
      {ver(6, 0, 1, 0x0200), u"Microsoft Windows Vista Home"},
      {ver(6, 0, 3), u"Microsoft Windows Server 2008"},
      {ver(6, 0, 2, 0x0080), u"Microsoft Windows Server 2008, Datacenter Server"},
      {ver(6, 0, 3, 0x0002), u"Microsoft Windows Server 2008 Enterprise"},
      {ver(6, 1, 1), u"Microsoft Windows 7"},
      {ver(6, 1, 3), u"Microsoft Windows Server 2008 R2"},
      {ver(6, 2, 1), u""},
      {ver(10, 0, 1), u""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MachineFingerprint::windowsOsName(row.version), row.name)
        << row.version.major << "." << row.version.minor << " product " << int(row.version.productType)
        << " suite " << row.version.suiteMask;
  }
}

TEST(MachineFingerprint, OsNameIsThePrettyNameOfOsRelease) {
  TempDir dir("osrelease");
  std::u16string name = u"stale";
  writeFile(dir.file("a"), "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n");
  EXPECT_TRUE(MachineFingerprint::readOsName(name, dir.file("a")));
  EXPECT_EQ(name, u"Debian GNU/Linux 12 (bookworm)");
  writeFile(dir.file("b"), "PRETTY_NAME='Tiny \"quoted\" OS'\n");
  EXPECT_TRUE(MachineFingerprint::readOsName(name, dir.file("b")));
  EXPECT_EQ(name, u"Tiny \"quoted\" OS");
  writeFile(dir.file("c"), "PRETTY_NAME=Plain\\ OS\nPRETTY_NAME=\"Second\"\n");
  EXPECT_TRUE(MachineFingerprint::readOsName(name, dir.file("c")));
  EXPECT_EQ(name, u"Plain\\ OS");
  writeFile(dir.file("d"), "NAME=x\n");
  EXPECT_TRUE(MachineFingerprint::readOsName(name, dir.file("d")));
  EXPECT_EQ(name, u"");
  writeFile(dir.file("e"), "PRETTY_NAME=\"" + std::string(5000, 'x') + "\"\n");
  EXPECT_TRUE(MachineFingerprint::readOsName(name, dir.file("e")));
  EXPECT_EQ(name.size(), MachineFingerprint::kMaxOsNameChars);
  name = u"stale";
  EXPECT_FALSE(MachineFingerprint::readOsName(name, dir.file("missing")));
  EXPECT_EQ(name, u"");
}

}  // namespace
}  // namespace tembra
