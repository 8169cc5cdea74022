#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// What a record header says about the machine: the hardware address of its
// first physical network adapter and the name of its operating system.
class MachineFingerprint {
 public:
  // The version facts the Windows name table is keyed on.
  struct WindowsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint8_t productType = 1;   // 1 workstation, anything else a server
    uint16_t suiteMask = 0;    // compared whole, never bit by bit
    uint32_t platformId = 2;   // 2 NT family, 1 the 95/98/Me family
    bool serverR2 = false;
    uint16_t processorArchitecture = 0;  // 9: x64
  };
  static constexpr uint32_t kPlatformNt = 2;
  static constexpr uint32_t kPlatform9x = 1;
  static constexpr uint16_t kArchitectureX64 = 9;
  // Longer os-release names are cut: the header that carries it is meant to
  // stay within 1,024 characters.
  static constexpr size_t kMaxOsNameChars = 256;

  // "AA-BB-CC-DD-EE-FF" of the first physical adapter in interface-index
  // order under netClassDir, or empty when none qualifies.
  static std::u16string readMachineAddress(const std::string& netClassDir = "/sys/class/net");

  // An interface (its folder under /sys/class/net) is physical when its
  // device sits on a PCI bus: the nearest of the device and its parents
  // that belongs to the pci or usb subsystem is a PCI one. Virtual, USB,
  // tunnel and software adapters fail.
  static bool isPhysicalAdapter(const std::string& interfaceDir);

  // The readable name Windows versions are known by; empty for versions
  // the table does not know.
  static std::u16string windowsOsName(const WindowsVersion& version);

  // This platform's name: PRETTY_NAME of an os-release file. False (name
  // empty) when the file cannot be read; true with an empty name when it
  // has no PRETTY_NAME.
  static bool readOsName(std::u16string& name, const std::string& osReleasePath = "/etc/os-release");
};

}  // namespace tembra
