#pragma once
// How far a scan has come, in words, for the window's progress line and the command's stderr.

#include <chrono>
#include <string>

namespace tessarine {

struct ScanProgress;

// "120 of 2,000 files, 933.1 files/s, about 2 min 3 s left" (the total and the time left only
// once they are known).
std::string ProgressText(const ScanProgress& progress, std::chrono::duration<double> elapsed);

}  // namespace tessarine
