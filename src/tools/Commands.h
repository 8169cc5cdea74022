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
    "  guide rows [--created DD] [--at \"DD HH:MM:SS\"] [--channel ID] DAY0 [DAY1 [DAY2]]\n"
    "                                          load guide reply bodies as days 0-2, print the now,\n"
    "                                          next and (with --channel) day-list rows\n"
    "  guide fetch BASEURL UUID [DAY]          download one guide day to tv.xml as the client does\n"
    "  stats encode RECORD...                  print the upload body for these statistics records\n"
    "  stats decode BODY                       print the records of an upload body, one per line\n"
    "  stats clock URL                         print the server clock offset in seconds\n"
    "  notice query SERVER-IPV4 [--wait SECS]  ask a notice port from port 36000, say what it means\n"
    "  zip list ARCHIVE                        print each member: index, name, attributes, sizes, times\n"
    "  zip extract ARCHIVE DIR                 unpack below DIR; each member's result code and name\n"
    "  ads refresh BASEURL DIR [--key HEX32]   one ad refresh with DIR as the program folder\n"
    "                                          (BASEURL + \"pcad.action\" is the manifest)\n"
    "  playlist FILE|URL                       print the guides and channels of an M3U playlist as JSON\n"
    "  playlist --xtream SERVER USER PASSWORD  the channels of a provider account, as the same JSON\n"
    "  catchup PLAYLIST INDEX START STOP [--now TIME]\n"
    "                                          the address that plays channel INDEX (from 0) from\n"
    "                                          START to STOP (\"YYYY-MM-DD HH:MM:SS\", local time)\n"
    "  epg GUIDE [--playlist PLAYLIST] [--at \"YYYY-MM-DD HH:MM:SS\"]\n"
    "                                          load an XMLTV guide (file or URL), print its counts and\n"
    "                                          what is on now and next as JSON (times local)\n"
    "  skin check DIR                          check every layout and image of a skin folder\n"
    "  skin render DIR LAYOUT OUT.png [--size WxH] [--sample] [--show MS]\n"
    "                                          draw one layout to a PNG (offscreen, or shown on screen)\n";

// Each takes the arguments after its command word.
int runConfig(const std::vector<std::string>& args);
int runXml(const std::vector<std::string>& args);
int runAddress(const std::vector<std::string>& args);
int runCatalogue(const std::vector<std::string>& args);
int runGuide(const std::vector<std::string>& args);
int runStats(const std::vector<std::string>& args);
int runNotice(const std::vector<std::string>& args);
int runZip(const std::vector<std::string>& args);
int runAds(const std::vector<std::string>& args);
int runSkin(const std::vector<std::string>& args);
int runEpg(const std::vector<std::string>& args);
int runPlaylist(const std::vector<std::string>& args);
int runCatchup(const std::vector<std::string>& args);

}  // namespace tembra::tools
