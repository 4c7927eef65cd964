#pragma once
// How far a scan has come, in words, for the window's progress line and the command's stderr.

#include <chrono>
#include <string>

namespace tessarine {

struct ScanProgress;

// "120 of 2000 files, 933.1 files/s, about 2 min 3 s left" (the total only once counted, the rate
// and the time left only after the first second).
std::string ProgressText(const ScanProgress& progress, std::chrono::duration<double> elapsed);

}  // namespace tessarine
