// A termination request: delivered as a readable handle, and from then on no message box waits
// for an answer and no copy of the program is started. The request stays for the process, so
// this program holds only this test.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include "core/platform/MessageBox.h"
#include "core/platform/Restart.h"
#include "core/platform/TerminationSignal.h"

TEST(Termination, RequestEndsQuestionsAndRestarts) {
  const int handle = platform::TerminationRequestHandle();
  ASSERT_GE(handle, 0);
  EXPECT_EQ(platform::TerminationRequestHandle(), handle);
  int asked = 0;
  int started = 0;
  platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest&) {
    ++asked;
    return platform::MessageBoxResult::Ok;
  });
  platform::SetProgramStarter([&] {
    ++started;
    return true;
  });
  EXPECT_FALSE(platform::TerminationRequested());
  EXPECT_EQ(platform::ShowMessageBox("c", "before", platform::MessageBoxButtons::OkCancel),
            platform::MessageBoxResult::Ok);
  EXPECT_EQ(asked, 1);

  ASSERT_EQ(raise(SIGTERM), 0);
  pollfd readable{handle, POLLIN, 0};
  ASSERT_EQ(poll(&readable, 1, 10000), 1);
  EXPECT_TRUE(platform::TerminationRequested());
  platform::TakeTerminationRequests();
  EXPECT_EQ(poll(&readable, 1, 0), 0);

  // Nobody is asked any more: the answer is Cancel, and no copy starts.
  EXPECT_EQ(platform::ShowMessageBox("c", "after", platform::MessageBoxButtons::OkCancel),
            platform::MessageBoxResult::Cancel);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(platform::StartProgramCopy());
  EXPECT_EQ(started, 0);
  platform::SetMessageBoxHandler(nullptr);
  platform::SetProgramStarter(nullptr);
}
