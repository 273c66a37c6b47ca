#pragma once
// User defaults: typed settings per user, in suites. The standard suite holds the system's own settings;
// named suites (reverse-domain names) are kept apart. Each suite is one JSON object in
//   $XDG_CONFIG_HOME (else ~/.config) /quodline/defaults/<suite>.json
// read when the suite is first used and rewritten atomically on every change.
//
// Reads coerce like the platform's defaults: an integer read of the text "12" gives 12, a bool read of "YES",
// "true" or a nonzero number gives true, a text read of a number gives its text. Setters take the value
// first and the key second, like the platform's setters.
//
// A damaged file is set aside as <suite>.damaged-<UTC time>.json, reported, and the suite starts empty. A file
// that cannot be read or set aside is never overwritten: changes are then kept in memory only, and reported.
// Reports go to lastError() of the suite and to the error handler.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace foundation {

using DefaultsValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>>;

class UserDefaults {
 public:
  using ErrorHandler = std::function<void(const std::string& suite, const std::string& message)>;

  static UserDefaults& standard();
  // "" and "standard" name the standard suite. The reference stays valid for the life of the process.
  static UserDefaults& suite(const std::string& name);
  // Called with every load or save failure of any suite, outside the suite's lock.
  static void setErrorHandler(ErrorHandler handler);
  // The folder holding the suites' files.
  static std::string rootDirectory();
  // Points every suite at another folder (empty: back to the environment) and forgets what they held.
  static void setRootForTesting(const std::string& path);
  // Forgets what every suite held, so each is read again from its file when next used.
  static void resetForTesting();

  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  const std::string& name() const;
  std::string filePath() const;

  bool hasKey(std::string_view key) const;
  std::vector<std::string> keys() const;
  // std::nullopt when absent or of a kind the typed values cannot express (left in the file as it is).
  std::optional<DefaultsValue> objectForKey(std::string_view key) const;
  bool boolForKey(std::string_view key) const;
  std::int64_t integerForKey(std::string_view key) const;
  double doubleForKey(std::string_view key) const;
  std::optional<std::string> stringForKey(std::string_view key) const;
  // Only when the value is a list of texts and nothing else.
  std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const;

  // Each returns whether the change reached the file. A value refused outright (NaN or infinity, text that is
  // not UTF-8) changes nothing; a value that could not be saved stays in memory.
  bool setObject(const DefaultsValue& value, std::string_view key);
  bool setBool(bool value, std::string_view key);
  bool setInteger(std::int64_t value, std::string_view key);
  bool setDouble(double value, std::string_view key);
  bool setString(const std::string& value, std::string_view key);
  bool setStringArray(const std::vector<std::string>& values, std::string_view key);
  bool removeObjectForKey(std::string_view key);

  // The last load or save failure of this suite; empty when there was none.
  std::string lastError() const;

  struct Impl;

 private:
  explicit UserDefaults(std::string name);
  std::unique_ptr<Impl> impl_;
};

}  // namespace foundation
