#pragma once
// Random (version 4) UUIDs as upper-case text, "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".

#include <functional>
#include <string>
#include <string_view>

namespace foundation {

std::string makeUuid();
// Replaces the generator so tests can predict names; an empty function restores the random one.
void setUuidGeneratorForTesting(std::function<std::string()> generator);
// 36 characters, hexadecimal digits in groups of 8-4-4-4-12, either case.
bool isUuid(std::string_view text);

}  // namespace foundation
