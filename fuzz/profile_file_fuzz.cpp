// An arbitrary settings file: keys read from it never exceed the buffer
// asked for, and a value written into it reads back.
//
// Input: byte 0 picks the buffer size, byte 1 how many following bytes name
// the section (the next as many the key); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"

using tembra::ProfileFile;
using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("profile-fuzz");
  if (size < 2) return 0;
  const size_t buffer = 1 + data[0] * 8;
  size_t nameBytes = data[1] % 16;
  data += 2;
  size -= 2;
  if (2 * nameBytes > size) nameBytes = size / 2;
  const std::u16string section = tembra::fromUtf8(tembra::fuzz::Bytes(data, nameBytes));
  const std::u16string key = tembra::fromUtf8(tembra::fuzz::Bytes(data + nameBytes, nameBytes));
  const std::string path = scratch.write("settings.ini", tembra::fuzz::Bytes(data + 2 * nameBytes, size - 2 * nameBytes));

  for (const auto& [s, k] : {std::pair<std::u16string, std::u16string>{section, key},
                             {u"Quorvi", u"Server"}, {u"tembra", u"order"}}) {
    const std::u16string value = ProfileFile::ReadString(path, s, k, u"", buffer);
    Check(value.size() < buffer || (buffer == 0 && value.empty()));
  }
  const std::u16string value = u"v=\"1\" ;x";
  if (ProfileFile::WriteString(path, section, key, value)) {
    Check(ProfileFile::ReadString(path, section, key, u"<none>", 1024) == value);
  }
  return 0;
}
