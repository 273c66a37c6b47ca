#pragma once
// The plug-in's version text: the load message, the status report and the update notice all quote it.

inline constexpr char kQuodlVersion[] = "1.0.0-beta.9";
inline constexpr wchar_t kQuodlVersionWide[] = L"1.0.0-beta.9";
