#include "platform/AvahiQtPoll.h"
#include "support/QtTestApplication.h"

#include <QElapsedTimer>
#include <QTest>

#include <unistd.h>

#include <gtest/gtest.h>
#include <sys/time.h>

namespace tarnik {
namespace {

timeval fromNow(int milliseconds) {
  timeval when{};
  gettimeofday(&when, nullptr);
  when.tv_usec += milliseconds * 1000;
  when.tv_sec += when.tv_usec / 1000000;
  when.tv_usec %= 1000000;
  return when;
}

// Avahi frees watches and timeouts from inside their own callbacks; a second call after
// that would be a use after free.
struct Seen {
  const ::AvahiPoll *api;
  int calls = 0;
};

TEST(AvahiQtPoll, AWatchReportsReadinessOnceItIsFreedFromItsOwnCallback) {
  testing::ensureCoreApplication();
  AvahiQtPoll poll;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  Seen seen{poll.api()};
  poll.api()->watch_new(
      poll.api(), fds[0], AVAHI_WATCH_IN,
      [](AvahiWatch *watch, int, AvahiWatchEvent event, void *userdata) {
        auto *seen = static_cast<Seen *>(userdata);
        ++seen->calls;
        EXPECT_EQ(event, AVAHI_WATCH_IN);
        EXPECT_EQ(seen->api->watch_get_events(watch), AVAHI_WATCH_IN);
        seen->api->watch_free(watch);
      },
      &seen);
  QTest::qWait(20);
  EXPECT_EQ(seen.calls, 0);  // nothing to read yet

  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return seen.calls > 0; }, 2000));
  QTest::qWait(20);  // the byte stays unread
  EXPECT_EQ(seen.calls, 1);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(AvahiQtPoll, ATimeoutFiresOnceAtItsTimeUntilRearmed) {
  testing::ensureCoreApplication();
  AvahiQtPoll poll;
  Seen seen{poll.api()};
  QElapsedTimer clock;
  clock.start();
  const timeval when = fromNow(50);
  poll.api()->timeout_new(
      poll.api(), &when,
      [](AvahiTimeout *timeout, void *userdata) {
        auto *seen = static_cast<Seen *>(userdata);
        if (++seen->calls == 1) {
          const timeval again = fromNow(10);
          seen->api->timeout_update(timeout, &again);
        } else {
          seen->api->timeout_free(timeout);
        }
      },
      &seen);
  EXPECT_TRUE(QTest::qWaitFor([&] { return seen.calls == 2; }, 2000));
  EXPECT_GE(clock.elapsed(), 50);

  const timeval soon = fromNow(10);
  AvahiTimeout *disabled = poll.api()->timeout_new(
      poll.api(), &soon,
      [](AvahiTimeout *, void *userdata) { ++static_cast<Seen *>(userdata)->calls; }, &seen);
  poll.api()->timeout_update(disabled, nullptr);
  QTest::qWait(40);
  EXPECT_EQ(seen.calls, 2);
  poll.api()->timeout_free(disabled);
}

}  // namespace
}  // namespace tarnik
