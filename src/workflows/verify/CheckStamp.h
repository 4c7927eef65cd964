#pragma once
// The stamp of one consistency-check run, written into the Checked column of the rows it finds:
// local "yyyy-mm-dd hh:mm:ss", 19 characters.

#include <chrono>
#include <functional>
#include <string>

namespace tessarine {

using CheckClock = std::chrono::system_clock;

// The stamp of a moment, in local time.
std::string CheckStampText(CheckClock::time_point moment);

// The stamp of a run starting at `now`: never the same as (nor earlier than) the stamp of the
// previous run of this process; when two runs start in the same second the later one takes the
// next second. `inUse`, when given, says whether rows already carry a stamp (another process's
// run); such a stamp is passed over the same way.
std::string MakeCheckStamp(CheckClock::time_point now, const std::function<bool(const std::string&)>& inUse = {});

// "Total files:" + files + " - Elapsed time: " + h + " h " + min + " min " + s + " s".
std::string CheckTotalText(long long files, long long elapsedSeconds);

}  // namespace tessarine
