#pragma once
// The statistics records as the demo's collector lists them (/demo/records,
// a JSON array of strings) and as the backlog file bi.dat keeps them (one a
// line), with the event code of each: "00006" start, "02008" catalogue
// loaded, "06001" start-up done, "02011" a channel watched, "00007" close.
#include <string>
#include <vector>

namespace tembra::test {

std::vector<std::string> readBacklog(const std::string& path);
// The record's event code, or empty when the record has no such part.
std::string eventCode(const std::string& record);
std::vector<std::string> eventCodes(const std::vector<std::string>& records);
// The quoted values of the record's event part, the code excluded.
std::vector<std::string> eventValues(const std::string& record);
// "00006 02008 06001" for messages.
std::string joinCodes(const std::vector<std::string>& records);

}  // namespace tembra::test
