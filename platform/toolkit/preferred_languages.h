#pragma once
// The user's preferred languages as this system states them in its locale settings, in the platform's form
// ("zh-TW", "en"): the list in LANGUAGE, unless the messages locale is "C" or "POSIX", which ignores it; else the
// one language of LC_ALL, LC_MESSAGES or LANG, whichever is set first. Codesets and modifiers are dropped;
// entries that name no language ("C", "POSIX", "C.UTF-8") are skipped; "en" when nothing is left.

#include <functional>
#include <string>
#include <vector>

namespace toolkit {

using EnvironmentLookup = std::function<const char*(const char* name)>;

std::vector<std::string> preferredLanguagesFromEnvironment(const EnvironmentLookup& lookup);
// From this process's environment.
std::vector<std::string> preferredLanguagesFromEnvironment();

}  // namespace toolkit
