#include "services/update_notice_object.h"

#include <random>

#include "core/call_trace.h"
#include "foundation/format.h"
#include "foundation/iso8601.h"
#include "foundation/user_defaults.h"
#include "services/download_address.h"
#include "services/new_version_window.h"
#include "services/release_manifest.h"
#include "services/update_reply.h"
#include "toolkit/alert.h"
#include "toolkit/window.h"
#include "toolkit/workspace.h"
#include "ui/localisation.h"

namespace {

constexpr char kLastCheck[] = "last_check";
constexpr char kIgnoredVersion[] = "ignored_version";
constexpr double kDay = 86400.0;

// A plain static: the module can be unloaded, and its statics go with it.
std::shared_ptr<QDLUpdateNotice>& theNotice() {
  static std::shared_ptr<QDLUpdateNotice> notice;
  return notice;
}

}  // namespace

QDLUpdateNotice::QDLUpdateNotice(std::string version, std::int64_t hostYear, UpdateConfiguration configuration)
    : version_(std::move(version)),
      hostYear_(hostYear),
      configuration_(std::move(configuration)),
      prefs_(foundation::UserDefaults::suite(kUpdateDefaultsSuite)),
      session_(std::make_unique<foundation::HttpsSession>(configuration_.session)) {}

QDLUpdateNotice::~QDLUpdateNotice() { shutdown(); }

toolkit::Panel* QDLUpdateNotice::panel() const { return panel_ ? &panel_->window() : nullptr; }

void QDLUpdateNotice::scheduleAutomaticCheck() {
  std::random_device seed;
  std::uniform_int_distribution<int> extra(0, 19);
  std::weak_ptr<QDLUpdateNotice> weak = weak_from_this();
  timer_ = foundation::dispatchAfter(25.0 + extra(seed), [weak] {
    if (auto self = weak.lock()) {
      self->timer_ = 0;
      self->check(false);
    }
  }, this);
}

void QDLUpdateNotice::check(bool manual) {
  if (stopped_) return;
  if (task_ != 0) {
    if (manual) message(QDLT("正在检查更新，请稍候。"));
    return;
  }
  const double now = foundation::secondsSince1970(foundation::wallClockNow());
  const double last = prefs_.doubleForKey(kLastCheck);
  // A last check in the future (a clock set back) holds nothing back.
  if (!manual && now >= last && now - last < kDay) return;
  prefs_.setDouble(now, kLastCheck);

  foundation::HttpsRequest request{configuration_.manifestAddress, {{"Accept", "application/json"}}};
  std::weak_ptr<QDLUpdateNotice> weak = weak_from_this();
  task_ = session_->dataTask(std::move(request), [weak, manual, owner = this](foundation::HttpsResponse response) {
    // On the request's thread: only hand the reply on.
    foundation::dispatchAsync([weak, manual, response = std::move(response)] {
      auto self = weak.lock();
      if (!self || self->stopped_) return;
      self->reply(response, manual);
    }, owner);
  });
}

void QDLUpdateNotice::reply(const foundation::HttpsResponse& response, bool manual) {
  task_ = 0;
  if (!isValidUpdateReply(response, configuration_.manifestAddress)) {
    if (manual) message(QDLT("暂时无法获取更新信息，请稍后重试；不影响批量打印。"));
    return;
  }
  const std::optional<foundation::Json> release = QDLURelease(response.body, version_, hostYear_);
  if (!release) {
    if (manual) message(foundation::format(QDLT("当前没有适用于本机的更高版本。\n当前版本：%@"), version_));
    return;
  }
  if (!manual && prefs_.stringForKey(kIgnoredVersion) == foundation::jsonString(*release, "version")) return;
  showRelease(*release);
}

void QDLUpdateNotice::message(const std::string& text) {
  toolkit::Alert alert;
  alert.setMessageText(QDLT("Ferrolin 批打工具 · 检查更新"));
  alert.setInformativeText(text);
  alert.addButtonWithTitle(QDLT("好"));
  alert.runModal();
}

void QDLUpdateNotice::shutdown() {
  stopped_ = true;
  if (timer_ != 0) foundation::MainQueue::main().cancel(timer_);
  timer_ = 0;
  if (task_ != 0) session_->cancel(task_);
  task_ = 0;
  // Waits for the request's thread; a reply it handed on is then dropped with the rest of this notice's work.
  session_->invalidateAndCancel();
  foundation::MainQueue::main().cancelAll(this);
  if (panel_) panel_->close();
}

void QDLUpdateNotice::showRelease(const foundation::Json& release) {
  if (panel_ && panel_->window().isVisible()) {
    panel_->window().makeKeyAndOrderFront();
    return;
  }
  availableRelease_ = release;
  // The notice owns the window, so it outlives the buttons' actions.
  panel_ = std::make_unique<NewVersionWindow>(
      release, version_, NewVersionWindow::Choices{[this] { download(); }, [this] { later(); }, [this] { ignore(); }});
  panel_->window().center();
  panel_->window().makeKeyAndOrderFront();
}

void QDLUpdateNotice::download() {
  if (availableRelease_) {
    const foundation::Json* address = foundation::jsonMember(*availableRelease_, "download_url");
    if (address != nullptr && QDLUSafeURL(*address)) toolkit::Workspace::shared().openURL(address->get<std::string>());
  }
  if (panel_) panel_->close();
}

void QDLUpdateNotice::later() {
  if (panel_) panel_->close();
}

void QDLUpdateNotice::ignore() {
  if (availableRelease_) {
    if (const auto version = foundation::jsonString(*availableRelease_, "version")) {
      prefs().setString(*version, "ignored_version");
    }
  }
  if (panel_) panel_->close();
}

QDLUpdateNotice* qdl_update_notice() { return theNotice().get(); }

void qdl_updates_start(const std::string& version, std::int64_t hostYear) {
  if (theNotice()) return;
  theNotice() = std::make_shared<QDLUpdateNotice>(version, hostYear, updateConfiguration());
  theNotice()->scheduleAutomaticCheck();
}

void qdl_updates_check() {
  quodlTraceCall("qdl_updates_check");
  if (auto& notice = theNotice()) notice->check(true);
}

void qdl_updates_shutdown() {
  quodlTraceCall("qdl_updates_shutdown");
  std::shared_ptr<QDLUpdateNotice> notice = std::move(theNotice());
  if (notice) notice->shutdown();
}
