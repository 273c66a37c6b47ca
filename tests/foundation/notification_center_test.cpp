#include "foundation/notification_center.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace foundation {
namespace {

TEST(Notifications, DeliveredInRegistrationOrderWithObjectFilter) {
  NotificationCenter center;
  std::vector<std::string> log;
  int panel = 0, other = 0;
  center.addObserver("QDLLanguageChanged", nullptr, [&](const Notification& n) {
    log.push_back("any:" + n.userInfo.at("language"));
  });
  center.addObserver("QDLLanguageChanged", &panel, [&](const Notification&) { log.push_back("panel"); });
  center.addObserver("", nullptr, [&](const Notification& n) { log.push_back("all:" + n.name); });
  center.addObserver("Other", nullptr, [&](const Notification&) { log.push_back("other"); });

  center.post("QDLLanguageChanged", nullptr, {{"language", "en"}});
  EXPECT_EQ(log, (std::vector<std::string>{"any:en", "all:QDLLanguageChanged"}));
  log.clear();
  center.post("QDLLanguageChanged", &panel, {{"language", "zh"}});
  EXPECT_EQ(log, (std::vector<std::string>{"any:zh", "panel", "all:QDLLanguageChanged"}));
  log.clear();
  center.post("QDLLanguageChanged", &other, {{"language", "zh"}});
  EXPECT_EQ(log, (std::vector<std::string>{"any:zh", "all:QDLLanguageChanged"}));
}

TEST(Notifications, RemovalByTokenAndByOwner) {
  NotificationCenter center;
  int owner = 0, count = 0;
  const ObserverToken a = center.addObserver("N", nullptr, [&](const Notification&) { count += 1; });
  center.addObserver("N", nullptr, [&](const Notification&) { count += 10; }, &owner);
  center.addObserver("M", nullptr, [&](const Notification&) { count += 100; }, &owner);
  EXPECT_NE(a, 0u);
  EXPECT_EQ(center.addObserver("N", nullptr, nullptr), 0u);  // no callback, no observer

  center.removeObserver(a);
  center.removeObserver(a);  // twice is harmless
  center.removeObserver(0);
  center.post("N");
  EXPECT_EQ(count, 10);
  center.removeObserversOwnedBy(&owner, "N");
  center.post("N");
  center.post("M");
  EXPECT_EQ(count, 110);
  center.removeObserversOwnedBy(&owner);
  EXPECT_EQ(center.observerCount(), 0u);
  {
    ScopedObserver scoped(center, center.addObserver("N", nullptr, [&](const Notification&) { ++count; }));
    EXPECT_EQ(center.observerCount(), 1u);
  }
  EXPECT_EQ(center.observerCount(), 0u);
}

TEST(Notifications, ChangesDuringDeliveryAreSafe) {
  NotificationCenter center;
  std::vector<std::string> log;
  ObserverToken second = 0, self = 0;
  // The first observer removes the second before it is reached, and adds a third that hears only later posts.
  center.addObserver("N", nullptr, [&](const Notification&) {
    log.push_back("first");
    center.removeObserver(second);
    center.addObserver("N", nullptr, [&](const Notification&) { log.push_back("added"); });
  });
  second = center.addObserver("N", nullptr, [&](const Notification&) { log.push_back("second"); });
  // An observer removing itself, which destroys its own callback's registration, while it runs.
  self = center.addObserver("N", nullptr, [&, marker = std::make_shared<int>(42)](const Notification&) {
    center.removeObserver(self);
    log.push_back("self:" + std::to_string(*marker));
  });
  center.post("N");
  EXPECT_EQ(log, (std::vector<std::string>{"first", "self:42"}));
  log.clear();
  center.post("N");
  EXPECT_EQ(log, (std::vector<std::string>{"first", "added"}));
}

TEST(Notifications, PostingFromACallbackNests) {
  NotificationCenter center;
  std::vector<std::string> log;
  center.addObserver("outer", nullptr, [&](const Notification&) {
    log.push_back("outer");
    center.post("inner");
  });
  center.addObserver("inner", nullptr, [&](const Notification&) { log.push_back("inner"); });
  center.post("outer");
  EXPECT_EQ(log, (std::vector<std::string>{"outer", "inner"}));
  EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

}  // namespace
}  // namespace foundation
