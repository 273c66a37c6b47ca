#include "foundation/user_defaults.h"

#include <cmath>
#include <limits>
#include <map>
#include <mutex>

#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/format.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/settings_file.h"
#include "foundation/string_values.h"
#include "foundation/text.h"
#include "percent_encoding.h"

namespace foundation {
namespace {

constexpr const char* kStandardName = "standard";

struct Registry {
  std::mutex mutex;
  std::string rootOverride;
  std::map<std::string, std::unique_ptr<UserDefaults>, std::less<>> suites;
  UserDefaults::ErrorHandler handler;
};

// Never destroyed, so that settings stay usable from other objects' destructors at exit.
Registry& registry() {
  static Registry* instance = new Registry;
  return *instance;
}

std::string currentRoot() {
  {
    std::lock_guard lock(registry().mutex);
    if (!registry().rootOverride.empty()) return registry().rootOverride;
  }
  return appendingPathComponent(configurationDirectory(), "quodline/defaults");
}

// Suite names become file names: anything but letters, digits, '.', '_' and '-' is percent-encoded, and so is
// a leading dot, so that no name can leave the folder or hide itself.
std::string fileNameOf(const std::string& suite) {
  return percent_detail::percentEncoded(suite, [](unsigned char c, std::size_t index) {
           return percent_detail::isAsciiAlphanumeric(c) || c == '_' || c == '-' || (c == '.' && index > 0);
         }) +
         ".json";
}

std::string numberText(double value) {
  return format("%@", value);
}

std::int64_t saturatedInteger(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

struct UserDefaults::Impl {
  std::string name;
  mutable std::mutex mutex;
  mutable bool loaded = false;
  mutable std::string path;
  mutable Json values = Json::object();
  // Set when the file on disk could not be read or set aside: it must not be overwritten.
  mutable bool persistBlocked = false;
  mutable std::string lastError;
  // Reports gathered under the lock, handed to the error handler after it is released.
  mutable std::vector<std::string> pendingReports;

  void report(std::string message) const {
    lastError = message;
    pendingReports.push_back(std::move(message));
  }

  void ensureLoaded() const {
    if (loaded) return;
    loaded = true;
    path = appendingPathComponent(currentRoot(), fileNameOf(name));
    SettingsFileLoad load = loadSettingsFile(path);
    values = std::move(load.values);
    persistBlocked = !load.writable;
    if (!load.report.empty()) report(std::move(load.report));
  }

  bool save() const {
    if (persistBlocked) {
      report("Settings " + path + " were not saved: the file on disk could not be read or set aside");
      return false;
    }
    if (FileResult made = createDirectory(deletingLastPathComponent(path), true, 0700); !made) {
      report("Cannot save settings: " + made.error);
      return false;
    }
    if (FileResult written = writeJsonFile(path, values); !written) {
      report("Cannot save settings: " + written.error);
      return false;
    }
    return true;
  }

  const Json* find(std::string_view key) const {
    ensureLoaded();
    const auto found = values.find(key);
    return found == values.end() ? nullptr : &*found;
  }
};

namespace {

// Runs a suite operation under its lock, then hands any reports to the error handler.
template <typename Operation>
auto withSuite(const UserDefaults::Impl& impl, Operation&& operation) {
  std::vector<std::string> reports;
  struct Flush {
    const UserDefaults::Impl& impl;
    std::vector<std::string>& reports;
    ~Flush() {
      if (reports.empty()) return;
      UserDefaults::ErrorHandler handler;
      {
        std::lock_guard lock(registry().mutex);
        handler = registry().handler;
      }
      if (handler) {
        for (const std::string& message : reports) handler(impl.name, message);
      }
    }
  } flush{impl, reports};
  std::lock_guard lock(impl.mutex);
  struct Collect {
    const UserDefaults::Impl& impl;
    std::vector<std::string>& reports;
    ~Collect() { reports.swap(impl.pendingReports); }
  } collect{impl, reports};
  return operation();
}

}  // namespace

UserDefaults::UserDefaults(std::string name) : impl_(std::make_unique<Impl>()) { impl_->name = std::move(name); }
UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standard() { return suite(kStandardName); }

UserDefaults& UserDefaults::suite(const std::string& name) {
  const std::string key = name.empty() ? kStandardName : name;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto found = r.suites.find(key);
  if (found == r.suites.end()) {
    found = r.suites.emplace(key, std::unique_ptr<UserDefaults>(new UserDefaults(key))).first;
  }
  return *found->second;
}

void UserDefaults::setErrorHandler(ErrorHandler handler) {
  std::lock_guard lock(registry().mutex);
  registry().handler = std::move(handler);
}

std::string UserDefaults::rootDirectory() { return currentRoot(); }

void UserDefaults::setRootForTesting(const std::string& path) {
  {
    std::lock_guard lock(registry().mutex);
    registry().rootOverride = path.empty() ? std::string() : standardizingPath(path);
  }
  resetForTesting();
}

void UserDefaults::resetForTesting() {
  std::vector<UserDefaults*> all;
  {
    std::lock_guard lock(registry().mutex);
    for (auto& [name, defaults] : registry().suites) all.push_back(defaults.get());
  }
  for (UserDefaults* defaults : all) {
    std::lock_guard lock(defaults->impl_->mutex);
    Impl& impl = *defaults->impl_;
    impl.loaded = false;
    impl.values = Json::object();
    impl.persistBlocked = false;
    impl.lastError.clear();
    impl.pendingReports.clear();
  }
}

const std::string& UserDefaults::name() const { return impl_->name; }

std::string UserDefaults::filePath() const {
  return withSuite(*impl_, [&] {
    impl_->ensureLoaded();
    return impl_->path;
  });
}

bool UserDefaults::hasKey(std::string_view key) const {
  return withSuite(*impl_, [&] { return impl_->find(key) != nullptr; });
}

std::vector<std::string> UserDefaults::keys() const {
  return withSuite(*impl_, [&] {
    impl_->ensureLoaded();
    std::vector<std::string> out;
    for (const auto& [key, value] : impl_->values.items()) out.push_back(key);
    return out;
  });
}

std::optional<DefaultsValue> UserDefaults::objectForKey(std::string_view key) const {
  return withSuite(*impl_, [&]() -> std::optional<DefaultsValue> {
    const Json* value = impl_->find(key);
    if (!value) return std::nullopt;
    if (value->is_boolean()) return DefaultsValue(value->get<bool>());
    if (auto integer = jsonInteger(*value); integer && !value->is_number_float()) return DefaultsValue(*integer);
    if (value->is_number()) return DefaultsValue(value->get<double>());
    if (value->is_string()) return DefaultsValue(value->get<std::string>());
    if (auto list = jsonStringArray(*value)) return DefaultsValue(std::move(*list));
    return std::nullopt;
  });
}

bool UserDefaults::boolForKey(std::string_view key) const {
  return withSuite(*impl_, [&] {
    const Json* value = impl_->find(key);
    if (!value) return false;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_number()) return value->get<double>() != 0.0;
    if (value->is_string()) {
      const std::string text = value->get<std::string>();
      if (equalsIgnoringAsciiCase(text, "yes") || equalsIgnoringAsciiCase(text, "true")) return true;
      return integerValue(text) != 0;
    }
    return false;
  });
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
  return withSuite(*impl_, [&]() -> std::int64_t {
    const Json* value = impl_->find(key);
    if (!value) return 0;
    if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
    if (value->is_number_unsigned()) {
      const auto u = value->get<std::uint64_t>();
      return u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                 ? std::numeric_limits<std::int64_t>::max()
                 : static_cast<std::int64_t>(u);
    }
    if (value->is_number_integer()) return value->get<std::int64_t>();
    if (value->is_number_float()) return saturatedInteger(value->get<double>());
    if (value->is_string()) return integerValue(value->get<std::string>());
    return 0;
  });
}

double UserDefaults::doubleForKey(std::string_view key) const {
  return withSuite(*impl_, [&]() -> double {
    const Json* value = impl_->find(key);
    if (!value) return 0.0;
    if (value->is_boolean()) return value->get<bool>() ? 1.0 : 0.0;
    if (value->is_number()) return value->get<double>();
    if (value->is_string()) return doubleValue(value->get<std::string>());
    return 0.0;
  });
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
  return withSuite(*impl_, [&]() -> std::optional<std::string> {
    const Json* value = impl_->find(key);
    if (!value) return std::nullopt;
    if (value->is_string()) return value->get<std::string>();
    if (value->is_boolean()) return std::string(value->get<bool>() ? "1" : "0");
    if (value->is_number_unsigned()) return std::to_string(value->get<std::uint64_t>());
    if (value->is_number_integer()) return std::to_string(value->get<std::int64_t>());
    if (value->is_number_float()) return numberText(value->get<double>());
    return std::nullopt;
  });
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(std::string_view key) const {
  return withSuite(*impl_, [&]() -> std::optional<std::vector<std::string>> {
    const Json* value = impl_->find(key);
    return value ? jsonStringArray(*value) : std::nullopt;
  });
}

bool UserDefaults::setObject(const DefaultsValue& value, std::string_view key) {
  return withSuite(*impl_, [&] {
    impl_->ensureLoaded();
    const auto refuse = [&](const std::string& why) {
      impl_->report("Setting \"" + sanitizedUtf8(key) + "\" refused: " + why);
      return false;
    };
    if (!isValidUtf8(key)) return refuse("the key is not UTF-8 text");
    Json json;
    if (const auto* b = std::get_if<bool>(&value)) {
      json = *b;
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
      json = *i;
    } else if (const auto* d = std::get_if<double>(&value)) {
      if (!std::isfinite(*d)) return refuse("NaN and infinity cannot be stored");
      json = *d;
    } else if (const auto* s = std::get_if<std::string>(&value)) {
      if (!isValidUtf8(*s)) return refuse("the value is not UTF-8 text");
      json = *s;
    } else if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
      json = Json::array();
      for (const std::string& item : *list) {
        if (!isValidUtf8(item)) return refuse("a value is not UTF-8 text");
        json.push_back(item);
      }
    }
    impl_->values[std::string(key)] = std::move(json);
    return impl_->save();
  });
}

bool UserDefaults::setBool(bool value, std::string_view key) { return setObject(DefaultsValue(value), key); }
bool UserDefaults::setInteger(std::int64_t value, std::string_view key) { return setObject(DefaultsValue(value), key); }
bool UserDefaults::setDouble(double value, std::string_view key) { return setObject(DefaultsValue(value), key); }
bool UserDefaults::setString(const std::string& value, std::string_view key) {
  return setObject(DefaultsValue(value), key);
}
bool UserDefaults::setStringArray(const std::vector<std::string>& values, std::string_view key) {
  return setObject(DefaultsValue(values), key);
}

bool UserDefaults::removeObjectForKey(std::string_view key) {
  return withSuite(*impl_, [&] {
    impl_->ensureLoaded();
    const auto found = impl_->values.find(key);
    if (found == impl_->values.end()) return true;
    impl_->values.erase(found);
    return impl_->save();
  });
}

std::string UserDefaults::lastError() const {
  return withSuite(*impl_, [&] {
    impl_->ensureLoaded();
    return impl_->lastError;
  });
}

}  // namespace foundation
