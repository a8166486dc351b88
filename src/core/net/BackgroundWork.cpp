#include "core/net/BackgroundWork.h"

#include <algorithm>
#include <condition_variable>
#include <thread>

#include "core/platform/Sockets.h"

namespace net {

void Cancellation::Cancel() {
  std::lock_guard<std::mutex> lock(mutex);
  cancelled = true;
  // Under the lock: the HTTP layer detaches a socket here before it closes it, so a number
  // shut down is never one the system has handed out again.
  for (const std::intptr_t socket : sockets) platform::ShutdownSocket(socket);
}

bool Cancellation::Cancelled() const {
  std::lock_guard<std::mutex> lock(mutex);
  return cancelled;
}

bool Cancellation::AttachSocket(std::intptr_t socket) {
  std::lock_guard<std::mutex> lock(mutex);
  if (cancelled) return false;
  sockets.push_back(socket);
  return true;
}

void Cancellation::DetachSocket(std::intptr_t socket) {
  std::lock_guard<std::mutex> lock(mutex);
  sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
}

struct BackgroundWork::State {
  Cancellation cancellation;
  std::mutex mutex;
  bool dropped = false;
  bool finished = false;
};

namespace {

// Every work still running in the process, for the bounded wait at exit.
struct Registry {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::weak_ptr<BackgroundWork::State>> running;
};

Registry& TheRegistry() {
  // Never destroyed: a worker may still end while the process exits.
  static Registry* registry = new Registry;
  return *registry;
}

void Unregister(const std::shared_ptr<BackgroundWork::State>& state) {
  Registry& registry = TheRegistry();
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto& running = registry.running;
    running.erase(std::remove_if(running.begin(), running.end(),
                                 [&](const std::weak_ptr<BackgroundWork::State>& entry) {
                                   const auto live = entry.lock();
                                   return !live || live == state;
                                 }),
                  running.end());
  }
  registry.changed.notify_all();
}

}  // namespace

BackgroundWork::BackgroundWork(Work work) : state(std::make_shared<State>()) {
  Registry& registry = TheRegistry();
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.running.push_back(state);
  }
  std::thread([shared = state, work = std::move(work)] {
    Completion completion = work(shared->cancellation);
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (!shared->dropped && completion) completion();
      shared->finished = true;
    }
    Unregister(shared);
  }).detach();
}

BackgroundWork::~BackgroundWork() {
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->dropped = true;
  }
  state->cancellation.Cancel();
}

bool BackgroundWork::Finished() const {
  std::lock_guard<std::mutex> lock(state->mutex);
  return state->finished;
}

bool WaitForBackgroundWork(std::chrono::milliseconds timeout) {
  Registry& registry = TheRegistry();
  std::unique_lock<std::mutex> lock(registry.mutex);
  return registry.changed.wait_for(lock, timeout, [&] {
    return std::none_of(registry.running.begin(), registry.running.end(),
                        [](const std::weak_ptr<BackgroundWork::State>& entry) {
                          return !entry.expired();
                        });
  });
}

void CancelBackgroundWork() {
  std::vector<std::shared_ptr<BackgroundWork::State>> live;
  {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    for (const auto& entry : registry.running)
      if (auto state = entry.lock()) live.push_back(std::move(state));
  }
  for (const auto& state : live) state->cancellation.Cancel();
}

}  // namespace net
