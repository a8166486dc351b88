#pragma once
// A request from the system to end the program (SIGTERM, SIGINT), delivered as a readable handle
// so an event loop can pick it up outside the signal handler.

namespace platform {

// Installs the handlers once; the handle turns readable when a request arrives. -1 on failure.
int TerminationRequestHandle();
// Empties the handle after a request was seen.
void TakeTerminationRequests();

}  // namespace platform
