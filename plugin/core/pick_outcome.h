#pragma once
// How the picking commands end.

#include <cstdint>

// A failure or a cancellation: the reason on the command line (a line of its own), then the panel last in use.
void reportPickFailure(const wchar_t* message);
// The recognition mode stored for the full panel's next start.
void storeRecognitionMode(std::int64_t mode);
