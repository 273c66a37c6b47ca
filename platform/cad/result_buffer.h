#pragma once
// The host's result codes, result buffers and names of entities and selection sets, with the host allocator
// that strings and buffers handed to callers come from. The allocator counts what is outstanding, so a test
// can check that a caller freed what the host gave it.

#include <cstddef>
#include <cstdint>

namespace cad {

// Result codes of the editor and command-line functions.
inline constexpr int RTNONE = 5000;
inline constexpr int RTREAL = 5001;
inline constexpr int RTPOINT = 5002;
inline constexpr int RTSHORT = 5003;
inline constexpr int RTANG = 5004;
inline constexpr int RTSTR = 5005;
inline constexpr int RTENAME = 5006;
inline constexpr int RTPICKS = 5007;
inline constexpr int RTORINT = 5008;
inline constexpr int RT3DPOINT = 5009;
inline constexpr int RTLONG = 5010;
inline constexpr int RTNIL = 5019;
inline constexpr int RTNORM = 5100;
inline constexpr int RTERROR = -5001;
inline constexpr int RTCAN = -5002;
inline constexpr int RTREJ = -5003;

// An entity name or a selection-set name: an opaque pair of integers, as the host's.
using ads_name = std::int64_t[2];
using ads_point = double[3];

struct resbuf {
  resbuf* rbnext = nullptr;
  short restype = RTNONE;
  union {
    double rreal;
    double rpoint[3];
    short rint;
    wchar_t* rstring;
    std::int32_t rlong;
    std::int64_t rlname[2];
  } resval{};
};

// Strings handed to callers (a string variable's value, a found name) come from here; free them with
// acutDelString or acdbFree.
wchar_t* acutNewString(const wchar_t* text);
void acutDelString(wchar_t*& text);
void acdbFree(void* memory);

// A result buffer of the given type (strings null, numbers zero); acutRelRb frees a whole chain and the
// strings it holds.
resbuf* acutNewRb(int type);
int acutRelRb(resbuf* chain);

// Test side: what callers have not given back yet.
struct HostAllocations {
  static std::size_t outstandingStrings();
  static std::size_t outstandingBuffers();
};

}  // namespace cad
