#pragma once
// Whether a reply to the manifest request can be read: it came whole, with status 200, from the manifest's own
// address (so never through a redirect), within the size limit, and holds a manifest of schema 1.

#include <string_view>

#include "foundation/https_session.h"

bool isValidUpdateReply(const foundation::HttpsResponse& response, std::string_view manifestAddress);
