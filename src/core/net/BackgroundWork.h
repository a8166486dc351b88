#pragma once
// Requests to the operator's servers run on threads of their own, so that no window waits for
// them, and can be ended from another thread at once.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace net {

// Shared between a request in flight and whoever may end it. Thread-safe.
class Cancellation {
 public:
  void Cancel();  // ends the request's open sockets at once; later requests fail at their start
  bool Cancelled() const;
  // The HTTP layer's bookkeeping of the sockets a request holds open. AttachSocket is false
  // (and the socket is not kept) once cancelled.
  bool AttachSocket(std::intptr_t socket);
  void DetachSocket(std::intptr_t socket);

 private:
  mutable std::mutex mutex;
  bool cancelled = false;
  std::vector<std::intptr_t> sockets;
};

// One piece of work on a thread of its own. The work returns its completion, which runs on the
// worker thread right after it unless the owner has let go of the work first; the Qt layer's
// completions post themselves to the user-interface thread.
class BackgroundWork {
 public:
  using Completion = std::function<void()>;
  using Work = std::function<Completion(const Cancellation&)>;

  explicit BackgroundWork(Work work);
  // Cancels and returns at once: never waits for the thread, and the completion never runs
  // after this.
  ~BackgroundWork();
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  bool Finished() const;

  struct State;

 private:
  std::shared_ptr<State> state;
};

// Waits until no background work of the process runs, at most `timeout`; true when none runs.
bool WaitForBackgroundWork(std::chrono::milliseconds timeout);
// Cancels every background work still running.
void CancelBackgroundWork();

}  // namespace net
