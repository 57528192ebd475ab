// The window's pump handles events by time, not at every chance a run offers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/event_pump.h"

namespace korimu {
namespace {

TEST(ThrottledPump, HandlesAtTheFirstChanceThenOnlyOnceTheIntervalHasPassed) {
  int handled = 0;
  EventPump slow = throttledPump([&] { ++handled; }, 60'000);
  for (int i = 0; i < 1000; ++i) slow();
  EXPECT_EQ(handled, 1) << "chances inside the interval handle nothing";

  handled = 0;
  EventPump quick = throttledPump([&] { ++handled; }, 2);
  quick();
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    quick();
  }
  EXPECT_EQ(handled, 4) << "every chance after the interval handles";
}

TEST(ThrottledPump, IsWhatPumpOneEventCallsThrough) {
  int handled = 0;
  const EventPump previous = setEventPump(throttledPump([&] { ++handled; }, 60'000));
  pumpOneEvent();
  pumpOneEvent();
  setEventPump(previous);
  EXPECT_EQ(handled, 1);
}

}  // namespace
}  // namespace korimu
