// The engine switches the program adds to those it is given.
#include <gtest/gtest.h>

#include "core/web/EngineSwitches.h"

namespace {

using engineswitches::WithHiddenPageTimers;

const std::string kAdded =
    "--disable-background-timer-throttling --disable-renderer-backgrounding "
    "--disable-backgrounding-occluded-windows";

struct SwitchCase {
  const char* given;
  std::string expected;
};

class SwitchTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchTest, Composes) {
  const SwitchCase& c = GetParam();
  EXPECT_EQ(WithHiddenPageTimers(c.given), c.expected) << c.given;
  // Applied again (a restarted copy inherits the environment), nothing changes.
  EXPECT_EQ(WithHiddenPageTimers(c.expected), c.expected) << c.given;
}

INSTANTIATE_TEST_SUITE_P(
    Given, SwitchTest,
    ::testing::Values(
        SwitchCase{"", kAdded + " --disable-features=IntensiveWakeUpThrottling"},
        SwitchCase{"  --disable-gpu\t--no-first-run ",
                   "--disable-gpu --no-first-run " + kAdded +
                       " --disable-features=IntensiveWakeUpThrottling"},
        // A feature list of the user's own is kept and extended, not replaced.
        SwitchCase{"--disable-features=Vulkan,Translate",
                   "--disable-features=Vulkan,Translate,IntensiveWakeUpThrottling " + kAdded},
        // Only the last of repeated lists counts with the engine: that one gets the feature.
        SwitchCase{"--disable-features=A --disable-gpu --disable-features=B",
                   "--disable-features=A --disable-gpu --disable-features=B,IntensiveWakeUpThrottling " +
                       kAdded},
        SwitchCase{"--disable-features=", "--disable-features=IntensiveWakeUpThrottling " + kAdded},
        SwitchCase{"--disable-features=A,", "--disable-features=A,IntensiveWakeUpThrottling " + kAdded},
        SwitchCase{"--disable-features=IntensiveWakeUpThrottling:grace_period_seconds/10,A",
                   "--disable-features=IntensiveWakeUpThrottling:grace_period_seconds/10,A " + kAdded},
        // A name that merely starts like the feature is another feature.
        SwitchCase{"--disable-features=IntensiveWakeUpThrottlingX",
                   "--disable-features=IntensiveWakeUpThrottlingX,IntensiveWakeUpThrottling " + kAdded},
        // Switches already given, in either spelling or with a value, are not repeated.
        SwitchCase{"-disable-renderer-backgrounding --disable-background-timer-throttling=1",
                   "-disable-renderer-backgrounding --disable-background-timer-throttling=1 "
                   "--disable-backgrounding-occluded-windows --disable-features=IntensiveWakeUpThrottling"},
        // The feature turned on by the user stays listed; the engine lets a disabled one win.
        SwitchCase{"--enable-features=IntensiveWakeUpThrottling:grace_period_seconds/10",
                   "--enable-features=IntensiveWakeUpThrottling:grace_period_seconds/10 " + kAdded +
                       " --disable-features=IntensiveWakeUpThrottling"}));

}  // namespace
