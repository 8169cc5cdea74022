#pragma once
#include <string>
#include <vector>

namespace tembra::tools {

inline constexpr const char* kUsage =
    "usage: tembra-tool COMMAND ...\n"
    "  config get FILE KEY [--key HEX32]       print a value of config.ini (deciphered but HomePage)\n"
    "  config set FILE KEY VALUE [--key HEX32] store a value (enciphered but HomePage)\n"
    "  config encrypt TEXT [--key HEX32]       print the stored form of TEXT\n"
    "  config decrypt STORED [--key HEX32]     print the text of a stored form\n"
    "  xml FILE                                load FILE, print the result report and every element\n"
    "  address decode HEX [--key HEX32]        decode an enciphered channel address\n"
    "  address encode TEXT [--key HEX32]       encipher a channel address\n"
    "  catalogue FILE|URL [--key HEX32]        print the groups and channels of a catalogue reply\n"
    "  skin check DIR                          check every layout and image of a skin folder\n"
    "  skin render DIR LAYOUT OUT.png [--size WxH] [--sample] [--show MS]\n"
    "                                          draw one layout to a PNG (offscreen, or shown on screen)\n";

// Each takes the arguments after its command word.
int runConfig(const std::vector<std::string>& args);
int runXml(const std::vector<std::string>& args);
int runAddress(const std::vector<std::string>& args);
int runCatalogue(const std::vector<std::string>& args);
int runSkin(const std::vector<std::string>& args);

}  // namespace tembra::tools
