// demo_site: the demo operator site on 127.0.0.1. First stdout line: "LISTENING <port>".
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

#include "DemoSite.h"
#include "SiteOptions.h"

int main(int argc, char** argv) {
  demo::SiteOptions options;
  std::string error;
  if (!demo::ParseSiteArgs(argc, argv, options, error)) {
    std::fprintf(stderr, "demo_site: %s\n%s", error.c_str(), demo::SiteUsage());
    return 2;
  }

  // SIGTERM and SIGINT are taken by a watcher thread (sigwait), never by a handler, so stopping
  // the server happens outside signal context. Blocked before any thread starts so all inherit it.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  demo::DemoSite site(options);
  if (!site.Bind(error)) {
    std::fprintf(stderr, "demo_site: %s\n", error.c_str());
    return 1;
  }
  std::printf("LISTENING %d\n", site.Port());
  std::fflush(stdout);
  std::fprintf(stderr, "demo_site: serving %s/login\n", site.BaseUrl().c_str());

  std::thread watcher([&site, stopSignals] {
    int received = 0;
    sigwait(&stopSignals, &received);
    site.Stop();
  });
  const bool served = site.Run();
  // The server may also have ended on its own; wake the watcher so it can be joined.
  pthread_kill(watcher.native_handle(), SIGTERM);
  watcher.join();
  return served ? 0 : 1;
}
