#pragma once
// A request from the system to end the program (SIGTERM, SIGINT), delivered as a readable handle
// so an event loop can pick it up outside the signal handler.

namespace platform {

// Installs the handlers once; the handle turns readable when a request arrives. -1 on failure.
int TerminationRequestHandle();
// Empties the handle after a request was seen.
void TakeTerminationRequests();
// True once a request has arrived; from any thread. From then on no message box is shown and no
// copy of the program is started.
bool TerminationRequested();
// After a request, ends the process with `exitCode` if it has not ended by itself within
// `graceMs`: a blocking call or a modal run that ignores the request cannot hold the program.
// Call after TerminationRequestHandle, once.
void EnforceTerminationDeadline(int graceMs, int exitCode);

}  // namespace platform
