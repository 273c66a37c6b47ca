#include "foundation/https_session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <list>
#include <mutex>
#include <thread>

#include <pthread.h>

#include "curl_library.h"

namespace foundation {

namespace {

using Steady = std::chrono::steady_clock;

// Whole milliseconds of a duration in seconds, at least 1.
long milliseconds(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0) return 1;
  return std::max(1L, static_cast<long>(std::min(seconds * 1000.0, 86400000.0)));
}

struct Task {
  HttpsTaskId id = 0;
  std::atomic<bool> cancelled{false};
  std::atomic<bool> finished{false};
  std::atomic<CURLM*> multi{nullptr};
  std::mutex multiMutex;  // guards the wake-up against the handle's end
  std::thread thread;
};

struct Transfer {
  const HttpsSessionConfiguration* configuration = nullptr;
  std::string body;
  bool tooLarge = false;
  Steady::time_point lastActivity = Steady::now();
  curl_off_t downloaded = -1, uploaded = -1;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  transfer->lastActivity = Steady::now();
  if (transfer->body.size() + bytes > transfer->configuration->maxBodyBytes) {
    transfer->tooLarge = true;
    return 0;  // ends the transfer with a write error
  }
  transfer->body.append(data, bytes);
  return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
  // Headers and body alike count as activity: any change of the byte counts.
  auto* transfer = static_cast<Transfer*>(user);
  if (dlnow != transfer->downloaded || ulnow != transfer->uploaded) {
    transfer->downloaded = dlnow;
    transfer->uploaded = ulnow;
    transfer->lastActivity = Steady::now();
  }
  return 0;
}

std::size_t onHeader(char*, std::size_t size, std::size_t count, void* user) {
  static_cast<Transfer*>(user)->lastActivity = Steady::now();
  return size * count;
}

HttpsResponse perform(const HttpsSessionConfiguration& configuration, const HttpsRequest& request, Task& task) {
  HttpsResponse response;
  if (request.url.rfind("https://", 0) != 0) {
    response.error = "only https addresses are requested";
    return response;
  }
  const CurlLibrary* curl = curlLibrary(response.error);
  if (curl == nullptr) return response;
  CURL* easy = curl->easy_init();
  CURLM* multi = curl->multi_init();
  if (easy == nullptr || multi == nullptr) {
    if (easy) curl->easy_cleanup(easy);
    if (multi) curl->multi_cleanup(multi);
    response.error = "cannot start a request";
    return response;
  }
  Transfer transfer;
  transfer.configuration = &configuration;
  curl_slist* headers = nullptr;
  for (const auto& [name, value] : request.headers)
    headers = curl->slist_append(headers, (name + ": " + value).c_str());

  curl->easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl->easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
  curl->easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl->easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl->easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl->easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl->easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!configuration.caFile.empty()) curl->easy_setopt(easy, CURLOPT_CAINFO, configuration.caFile.c_str());
  curl->easy_setopt(easy, CURLOPT_TIMEOUT_MS, milliseconds(configuration.resourceTimeout));
  curl->easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, milliseconds(configuration.requestTimeout));
  // The loopback address never goes through a proxy.
  curl->easy_setopt(easy, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
  curl->easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl->easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
  curl->easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl->easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
  curl->easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl->easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl->easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
  curl->easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl->multi_add_handle(multi, easy);
  {
    std::lock_guard lock(task.multiMutex);
    task.multi = multi;
  }

  const Steady::duration idleLimit = std::chrono::milliseconds(milliseconds(configuration.requestTimeout));
  CURLcode result = CURLE_OK;
  bool done = false;
  bool idle = false;
  while (!done) {
    int running = 0;
    curl->multi_perform(multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl->multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        result = message->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    if (task.cancelled) break;
    if (Steady::now() - transfer.lastActivity > idleLimit) {
      idle = true;
      break;
    }
    // Short waits keep the idle limit exact; a cancel wakes the wait at once.
    curl->multi_poll(multi, nullptr, 0, 50, nullptr);
  }
  {
    std::lock_guard lock(task.multiMutex);
    task.multi = nullptr;
  }

  if (task.cancelled && !done) {
    response.cancelled = true;
    response.error = "cancelled";
  } else if (idle) {
    response.error = "timed out: no data for the request's time-out";
  } else if (transfer.tooLarge) {
    response.error = "the response is larger than " + std::to_string(configuration.maxBodyBytes) + " bytes";
  } else if (!done) {
    response.error = "the request ended without a response";
  } else if (result != CURLE_OK) {
    response.error = curl->easy_strerror(result);
  }
  long status = 0;
  curl->easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  response.status = status;
  char* effective = nullptr;
  if (curl->easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective != nullptr) {
    response.finalUrl = effective;
  }
  if (response.error.empty()) response.body = std::move(transfer.body);

  curl->multi_remove_handle(multi, easy);
  curl->easy_cleanup(easy);
  curl->multi_cleanup(multi);
  curl->slist_free_all(headers);
  return response;
}

// A handle exists only once the library was opened.
void wakeUp(CURLM* multi) {
  std::string error;
  if (const CurlLibrary* curl = curlLibrary(error)) curl->multi_wakeup(multi);
}

}  // namespace

struct HttpsSession::State {
  HttpsSessionConfiguration configuration;
  mutable std::mutex mutex;
  bool invalidated = false;
  HttpsTaskId nextId = 1;
  std::list<std::shared_ptr<Task>> tasks;

  // Joins the threads that have ended; the caller holds no lock on `mutex`.
  void reapFinished() {
    std::list<std::shared_ptr<Task>> ended;
    {
      std::lock_guard lock(mutex);
      for (auto it = tasks.begin(); it != tasks.end();) {
        if ((*it)->finished) {
          ended.push_back(*it);
          it = tasks.erase(it);
        } else {
          ++it;
        }
      }
    }
    for (auto& task : ended) {
      if (task->thread.joinable()) task->thread.join();
    }
  }
};

HttpsSession::HttpsSession(HttpsSessionConfiguration configuration) : state_(std::make_unique<State>()) {
  state_->configuration = std::move(configuration);
}

HttpsSession::~HttpsSession() { invalidateAndCancel(); }

const HttpsSessionConfiguration& HttpsSession::configuration() const { return state_->configuration; }

HttpsTaskId HttpsSession::dataTask(HttpsRequest request, Completion completion) {
  state_->reapFinished();
  auto task = std::make_shared<Task>();
  {
    std::lock_guard lock(state_->mutex);
    if (state_->invalidated) return 0;
    task->id = state_->nextId++;
    state_->tasks.push_back(task);
    // The thread holds its task, never the session: a session waits for its threads before it goes.
    task->thread = std::thread([configuration = state_->configuration, request = std::move(request),
                                completion = std::move(completion), task]() mutable {
      HttpsResponse response = perform(configuration, request, *task);
      if (completion) completion(std::move(response));
      task->finished = true;
    });
    // Named from here, before it runs, so that it is known by its name for as long as it exists.
    pthread_setname_np(task->thread.native_handle(), kHttpsThreadName);
  }
  return task->id;
}

void HttpsSession::cancel(HttpsTaskId id) {
  std::lock_guard lock(state_->mutex);
  for (const auto& task : state_->tasks) {
    if (task->id != id) continue;
    task->cancelled = true;
    std::lock_guard wake(task->multiMutex);
    if (CURLM* multi = task->multi) wakeUp(multi);
  }
}

void HttpsSession::invalidateAndCancel() {
  std::list<std::shared_ptr<Task>> all;
  {
    std::lock_guard lock(state_->mutex);
    state_->invalidated = true;
    all.swap(state_->tasks);
    for (const auto& task : all) {
      task->cancelled = true;
      std::lock_guard wake(task->multiMutex);
      if (CURLM* multi = task->multi) wakeUp(multi);
    }
  }
  for (auto& task : all) {
    if (task->thread.joinable() && task->thread.get_id() != std::this_thread::get_id()) task->thread.join();
    else if (task->thread.joinable()) task->thread.detach();
  }
}

std::size_t HttpsSession::runningTasks() const {
  std::lock_guard lock(state_->mutex);
  std::size_t running = 0;
  for (const auto& task : state_->tasks) running += task->finished ? 0 : 1;
  return running;
}

}  // namespace foundation
