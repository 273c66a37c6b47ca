#pragma once
// HTTPS requests, each on a thread of its own, as the platform's URL session runs them: an ephemeral session (no
// cookies, no credentials, no cache), certificates always verified, redirects never followed (a 3xx response
// ends the request as it is), and limits on idle time, total time and body size. The completion runs on the
// request's thread; callers hand it on to the main queue.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace foundation {

struct HttpsSessionConfiguration {
  double requestTimeout = 10.0;    // seconds without a byte moving, from the start: the request fails
  double resourceTimeout = 12.0;   // seconds for the whole request
  std::size_t maxBodyBytes = 65536;  // a longer body fails the request
  // Extra certificate authorities to trust (a PEM file); empty: the system's. It adds trust, it never turns
  // verification off.
  std::string caFile;
};

struct HttpsRequest {
  std::string url;  // https only
  std::vector<std::pair<std::string, std::string>> headers;
};

struct HttpsResponse {
  std::string error;      // empty when a response arrived whole, whatever its status
  bool cancelled = false;
  long status = 0;
  std::string finalUrl;   // the address the response came from
  std::string body;
};

using HttpsTaskId = std::uint64_t;  // 0 is never a task

// The name every request's thread carries (as the system lists threads) from its start to its end.
inline constexpr char kHttpsThreadName[] = "quodl-https";

class HttpsSession {
 public:
  using Completion = std::function<void(HttpsResponse)>;

  explicit HttpsSession(HttpsSessionConfiguration configuration = {});
  // Cancels and waits, as invalidateAndCancel().
  ~HttpsSession();
  HttpsSession(const HttpsSession&) = delete;
  HttpsSession& operator=(const HttpsSession&) = delete;

  const HttpsSessionConfiguration& configuration() const;

  // Starts the request at once on its own thread. Returns 0 (and never calls the completion) once invalidated.
  HttpsTaskId dataTask(HttpsRequest request, Completion completion);
  // The request ends soon with `cancelled` set; nothing happens for a finished or unknown task.
  void cancel(HttpsTaskId task);
  // Cancels every request and waits until their threads have ended (their completions included). No request
  // starts afterwards.
  void invalidateAndCancel();
  // Requests whose threads are still running.
  std::size_t runningTasks() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace foundation
