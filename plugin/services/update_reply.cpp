#include "services/update_reply.h"

#include "foundation/json.h"
#include "services/release_manifest.h"

bool isValidUpdateReply(const foundation::HttpsResponse& response, std::string_view manifestAddress) {
  if (!response.error.empty() || response.cancelled || response.status != 200) return false;
  if (response.finalUrl != manifestAddress) return false;
  if (response.body.size() > kReleaseManifestMaxBytes) return false;
  const foundation::JsonResult manifest = foundation::parseJson(response.body);
  if (!manifest || !manifest.value.is_object()) return false;
  if (foundation::jsonNumber(manifest.value, "schema_version") != 1.0) return false;
  const foundation::Json* releases = foundation::jsonMember(manifest.value, "releases");
  return releases != nullptr && releases->is_array();
}
