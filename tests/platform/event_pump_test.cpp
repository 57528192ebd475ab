// The window's pump handles events by time, not at every chance a run offers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/event_pump.h"

namespace korimu {
namespace {

TEST(ThrottledPump, HandlesAtTheFirstChanceThenOnlyOnceTheIntervalHasPassed) {
  int handled = 0;
  EventPump slow = throttledPump([&] { ++handled; }, std::make_shared<EventClock>(), 60'000);
  for (int i = 0; i < 1000; ++i) slow();
  EXPECT_EQ(handled, 1) << "chances inside the interval handle nothing";

  handled = 0;
  EventPump quick = throttledPump([&] { ++handled; }, std::make_shared<EventClock>(), 2);
  quick();
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    quick();
  }
  EXPECT_EQ(handled, 4) << "every chance after the interval handles";
}

TEST(ThrottledPump, CountsTheIntervalFromEventsHandledElsewhere) {
  int handled = 0;
  const auto clock = std::make_shared<EventClock>();
  const EventPump previous = setEventPump(throttledPump([&] { ++handled; }, clock, 60'000));
  clock->noteHandled();  // the event loop has just handled the event that starts a run
  pumpOneEvent();
  EXPECT_EQ(handled, 0);
  clock->lastHandledMs -= 60'000;
  pumpOneEvent();
  pumpOneEvent();
  setEventPump(previous);
  EXPECT_EQ(handled, 1);
}

}  // namespace
}  // namespace korimu
