#pragma once
// The one update notice of the plug-in: it checks the release manifest once a day, shortly after load, and on
// request, and offers a newer release for this host in the new-version window. Main thread only; the request
// runs on its own thread and its reply comes back through the main queue.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "foundation/https_session.h"
#include "foundation/json.h"
#include "foundation/main_queue.h"
#include "services/update_configuration.h"

namespace foundation {
class UserDefaults;
}
namespace toolkit {
class Panel;
}
class NewVersionWindow;

inline constexpr char kQuodlVersion[] = "1.0.0-beta.9";

class QDLUpdateNotice : public std::enable_shared_from_this<QDLUpdateNotice> {
 public:
  QDLUpdateNotice(std::string version, std::int64_t hostYear, UpdateConfiguration configuration);
  ~QDLUpdateNotice();

  // Sets the one-shot timer of the automatic check, 25 to 44 whole seconds from now.
  void scheduleAutomaticCheck();
  // A manual check reports every outcome; an automatic one runs at most once a day and speaks only to offer.
  void check(bool manual);
  // A modal alert with the text.
  void message(const std::string& text);
  // The new-version window (new_version_window.cpp).
  void showRelease(const foundation::Json& release);
  void download();
  void later();
  void ignore();
  // Stops the timer, cancels the request and waits for its thread, drops a reply on its way and closes the
  // window.
  void shutdown();

  bool stopped() const { return stopped_; }
  const std::string& version() const { return version_; }
  std::int64_t hostYear() const { return hostYear_; }
  foundation::UserDefaults& prefs() const { return prefs_; }
  foundation::WorkId timer() const { return timer_; }
  bool taskRunning() const { return task_ != 0; }
  const UpdateConfiguration& configuration() const { return configuration_; }
  toolkit::Panel* panel() const;
  const std::optional<foundation::Json>& availableRelease() const { return availableRelease_; }

 private:
  void reply(const foundation::HttpsResponse& response, bool manual);

  bool stopped_ = false;
  std::string version_;
  std::int64_t hostYear_ = 0;
  UpdateConfiguration configuration_;
  foundation::UserDefaults& prefs_;
  foundation::WorkId timer_ = 0;
  std::unique_ptr<foundation::HttpsSession> session_;
  foundation::HttpsTaskId task_ = 0;
  std::unique_ptr<NewVersionWindow> panel_;
  std::optional<foundation::Json> availableRelease_;
};

// The notice while the plug-in is loaded; nullptr before start and after shutdown.
QDLUpdateNotice* qdl_update_notice();
// Creates the notice once and schedules its automatic check; a second start does nothing.
void qdl_updates_start(const std::string& version, std::int64_t hostYear);
