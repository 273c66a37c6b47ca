#pragma once
// Where the update notice looks for releases and how long it waits. A debug build with tests reads a test
// configuration instead (a JSON file named by QUODL_UPDATE_TEST_CONFIGURATION) that points the notice at a server
// on 127.0.0.1 with its own certificate authority and shorter waits; without one it asks a closed port of
// 127.0.0.1, so tests never reach another machine. Nothing else can change these values.

#include <string>

#include "foundation/https_session.h"

inline constexpr char kUpdateManifestPath[] = "/plugin-updates/stable.json";
inline constexpr char kUpdateManifestAddress[] = "https://updates.nuvolk.com/plugin-updates/stable.json";
inline constexpr char kUpdateDefaultsSuite[] = "com.nuvolk.quodline.updates";

struct UpdateConfiguration {
  std::string manifestAddress = kUpdateManifestAddress;
  foundation::HttpsSessionConfiguration session;  // 10 s idle, 12 s in all, 65,536 bytes
};

// The values a release build uses.
UpdateConfiguration shippedUpdateConfiguration();
// The values this build uses.
UpdateConfiguration updateConfiguration();
