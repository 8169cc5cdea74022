// tembra-demo-service: a local stand-in for the operator's servers.
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "ConfigWriter.h"
#include "DemoOptions.h"
#include "DemoServer.h"
#include "NetNamespace.h"

using namespace tembra;

namespace {

void say(const std::string& line) {
  std::cout << line << std::endl;  // flushed: tests and scripts read it live
}

ConfigWriter::Settings configFor(const DemoOptions& options, const DemoServer& server) {
  ConfigWriter::Settings settings;
  const std::string port = std::to_string(server.port());
  const std::string local = server.baseUrl();
  if (options.deadFirst) settings.servers.push_back("http://127.0.0.1:1/");
  // Through the namespace the client's notice query reaches the responder.
  if (server.netNamespace().active())
    settings.servers.push_back("http://" + server.netNamespace().innerAddress() + ":" + port + "/");
  settings.servers.push_back(local);
  if (settings.servers.size() > 3) settings.servers.resize(3);
  settings.planBase = local + "plan/";
  settings.statisticsServer = local;
  settings.homePage = local + "home";
  return settings;
}

}  // namespace

int main(int argc, char** argv) {
  DemoOptions options;
  std::string error;
  if (!options.Parse(argc, argv, error)) {
    std::cerr << "tembra-demo-service: " << error << "\n";
    return 2;
  }
  if (options.help) {
    std::cout << DemoOptions::HelpText();
    return 0;
  }

  // Every thread inherits this mask, so the stop signals reach only the
  // sigwait below and the service shuts down in one orderly place.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  DemoServer server(options);
  if (!server.Prepare(error) || !server.Listen(error)) {
    std::cerr << "tembra-demo-service: " << error << "\n";
    return 1;
  }
  say("listening on " + server.baseUrl().substr(0, server.baseUrl().size() - 1));

  if (options.noNotice) {
    say("notice responder off: --no-notice");
  } else if (!NetNamespace::IsRoot()) {
    say("notice responder off: not root");
  } else if (server.StartNamespace(error)) {
    const std::string inner = server.netNamespace().innerAddress();
    say("notice responder on udp://" + inner + ":36000");
    say("namespace listener on http://" + inner + ":" + std::to_string(server.port()));
  } else {
    say("notice responder off: " + error);
  }

  int status = 0;
  if (!options.writeConfigDir.empty()) {
    if (ConfigWriter::Write(options.writeConfigDir, configFor(options, server), error)) {
      say("config written to " + options.writeConfigDir + "/config.ini");
    } else {
      std::cerr << "tembra-demo-service: " << error << "\n";
      status = 1;
    }
  }
  if (status == 0) {
    if (!server.streamsAvailable()) say("streams off: ffmpeg not found");
    server.PrefetchFirstStream();
    say("ready");
    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::cerr << "tembra-demo-service: stopping on signal " << signal << "\n";
  }
  server.Stop();
  return status;
}
