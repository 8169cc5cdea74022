// tembra-tool stats encode RECORD... | decode BODY | clock URL: the
// statistics upload's form body both ways, and the server clock offset the
// client would measure, for operators checking a statistics server.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/Utf.h"
#include "stats/ServerClock.h"
#include "stats/StatsEncoding.h"
#include "stats/StatsUpload.h"
#include "tools/Commands.h"

namespace tembra::tools {

namespace {

int usageError(const std::string& problem) {
  std::fprintf(stderr,
               "tembra-tool: %s\nusage: tembra-tool stats encode RECORD...\n"
               "       tembra-tool stats decode BODY\n"
               "       tembra-tool stats clock URL\n",
               problem.c_str());
  return 2;
}

int encode(const std::vector<std::string>& records) {
  std::vector<std::u16string> texts;
  for (const auto& r : records) {
    if (r.empty()) return usageError("a record cannot be empty");
    texts.push_back(fromUtf8(r));
  }
  std::printf("%s\n", StatsEncoding::EncodeBody(StatsEncoding::Join(texts)).c_str());
  return 0;
}

int decode(const std::string& body) {
  auto records = StatsEncoding::DecodeBody(body);
  if (!records) {
    std::fputs("tembra-tool: not an upload body (mes= and the encoded records)\n", stderr);
    return 1;
  }
  for (const auto& r : *records) std::printf("%s\n", toUtf8(r).c_str());
  return 0;
}

int clock(const std::string& url) {
  auto server = StatsServer::FromUrl(fromUtf8(url));
  if (!server) return usageError("'" + url + "' names no host and port");
  auto offset = ServerClock::Measure(server->host, server->port,
                                     [] { return static_cast<int64_t>(std::time(nullptr)); });
  if (!offset) {
    std::fprintf(stderr, "tembra-tool: no usable time from %s:%u; records would carry the local time\n",
                 server->host.c_str(), server->port);
    std::printf("0\n");
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(*offset));
  return 0;
}

}  // namespace

int runStats(const std::vector<std::string>& args) {
  if (args.empty()) return usageError("stats needs 'encode', 'decode' or 'clock'");
  const std::string& sub = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (sub == "encode") {
    if (rest.empty()) return usageError("stats encode needs at least one record");
    return encode(rest);
  }
  if (sub == "decode") {
    if (rest.size() != 1) return usageError("stats decode takes exactly one body");
    return decode(rest[0]);
  }
  if (sub == "clock") {
    if (rest.size() != 1) return usageError("stats clock takes exactly one URL");
    return clock(rest[0]);
  }
  return usageError("unknown stats command '" + sub + "'");
}

}  // namespace tembra::tools
