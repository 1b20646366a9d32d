// The sky module's decisions on their own, without a view: which clock parts a turn of the
// minute repaints, and what one tick's number starts.
#include <gtest/gtest.h>

#include <climits>

#include "sky/sky_events.h"

namespace {

struct Turn {
  int previousMinute, hour, minute;
  bool round;
  bool minutePart, timePart, datePart;
};

TEST(SkyEvents, ATurnOfTheMinuteRepaintsOnlyThePartThatChanged) {
  const Turn turns[] = {
      {5, 21, 5, true, false, false, false},     // the same minute: nothing
      {5, 21, 6, false, true, false, false},     // a minute
      {59, 22, 0, true, false, true, false},     // a full hour: the time
      {59, 0, 0, false, false, false, true},     // midnight on a square window: the date
      {59, 0, 0, true, false, true, true},       // on a round one the time as well
      {7, 0, 0, true, false, true, true},        // however many minutes were missed
  };
  for (const Turn& t : turns) {
    const sky::ClockRefresh r = sky::ClockRefreshFor(t.previousMinute, t.hour, t.minute, t.round);
    EXPECT_EQ(r.minute, t.minutePart) << t.previousMinute << " -> " << t.hour << ":" << t.minute;
    EXPECT_EQ(r.time, t.timePart) << t.previousMinute << " -> " << t.hour << ":" << t.minute;
    EXPECT_EQ(r.date, t.datePart) << t.previousMinute << " -> " << t.hour << ":" << t.minute;
  }
}

TEST(SkyEvents, OneNumberStartsBothEventsUpToTenTimesTheirLevels) {
  // Zero never starts anything; the bound is inclusive.
  EXPECT_FALSE(sky::EventsFor(0, 10, 10, false).satellite);
  EXPECT_FALSE(sky::EventsFor(0, 10, 10, false).shootingStar);
  EXPECT_TRUE(sky::EventsFor(30, 3, 3, false).satellite);
  EXPECT_TRUE(sky::EventsFor(30, 3, 3, false).shootingStar);
  EXPECT_FALSE(sky::EventsFor(31, 3, 3, false).satellite);
  EXPECT_FALSE(sky::EventsFor(31, 3, 3, false).shootingStar);
  // Level 0 turns an event off; levels beyond 10 (set by hand) let every number through.
  EXPECT_FALSE(sky::EventsFor(1, 0, 0, false).satellite);
  EXPECT_TRUE(sky::EventsFor(100, 12, 12, false).shootingStar);
  // A flight under way holds back the next satellite, not the shooting star.
  const sky::SkyEvents during = sky::EventsFor(5, 10, 10, true);
  EXPECT_FALSE(during.satellite);
  EXPECT_TRUE(during.shootingStar);
}

TEST(SkyEvents, LevelsAtTheEndsOfTheirRangeKeepTheirMeaning) {
  // The settings file may hold any 32-bit level: the largest lets every number through, a
  // negative one none, and ten times either is never taken in an int, where it overflows.
  for (int a : {1, 50, 100}) {
    const sky::SkyEvents most = sky::EventsFor(a, INT_MAX, INT_MAX, false);
    EXPECT_TRUE(most.satellite) << a;
    EXPECT_TRUE(most.shootingStar) << a;
    const sky::SkyEvents least = sky::EventsFor(a, INT_MIN, INT_MIN, false);
    EXPECT_FALSE(least.satellite) << a;
    EXPECT_FALSE(least.shootingStar) << a;
    EXPECT_FALSE(sky::EventsFor(a, -1, -214748365, false).shootingStar) << a;
  }
}

}  // namespace
