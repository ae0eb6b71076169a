// The pace of repaints during work: at most one per 33 ms.
#include <gtest/gtest.h>

#include "repaint_throttle.h"

namespace orbivane {
namespace {

using std::chrono::milliseconds;

TEST(RepaintThrottleTest, FirstCallIsDueThenOncePerInterval) {
  RepaintThrottle throttle;
  const auto t0 = RepaintThrottle::Clock::time_point{} + milliseconds(1000);
  struct Step {
    int atMs;
    bool due;
  };
  const Step steps[] = {{0, true}, {1, false}, {32, false}, {33, true}, {40, false}, {65, false}, {66, true}, {500, true}};
  for (const Step& step : steps) {
    EXPECT_EQ(throttle.Due(t0 + milliseconds(step.atMs)), step.due) << "at " << step.atMs << " ms";
  }
}

TEST(RepaintThrottleTest, ThousandsOfReportsInOneSecondGiveAboutThirtyRepaints) {
  RepaintThrottle throttle;
  const auto t0 = RepaintThrottle::Clock::time_point{} + milliseconds(1000);
  int repaints = 0;
  for (int us = 0; us < 1000000; us += 100) {
    if (throttle.Due(t0 + std::chrono::microseconds(us))) ++repaints;
  }
  EXPECT_GE(repaints, 29);
  EXPECT_LE(repaints, 31);
}

TEST(RepaintThrottleTest, ResetMakesTheNextCallDue) {
  RepaintThrottle throttle;
  const auto t0 = RepaintThrottle::Clock::time_point{} + milliseconds(1000);
  EXPECT_TRUE(throttle.Due(t0));
  EXPECT_FALSE(throttle.Due(t0 + milliseconds(5)));
  throttle.Reset();
  EXPECT_TRUE(throttle.Due(t0 + milliseconds(6)));
}

}  // namespace
}  // namespace orbivane
