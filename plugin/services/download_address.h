#pragma once
// The addresses a release may send the user to: the publisher's file-sharing site (a page under its release
// site) or its object store (a package file under the release folder). Anything else is never opened.

#include <string_view>

#include "foundation/json.h"

inline constexpr std::string_view kReleaseShareHost = "nuvolk.sharepoint.com";
inline constexpr std::string_view kReleaseShareSite = "QuodlineReleases";
inline constexpr std::string_view kReleaseStoreHost = "downloads.nuvolk.com";

// Whether the value is the text of an allowed download address.
bool QDLUSafeURL(const foundation::Json& value);
