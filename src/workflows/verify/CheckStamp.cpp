#include "workflows/verify/CheckStamp.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace tessarine {
namespace {

std::mutex g_stampLock;
std::chrono::time_point<CheckClock, std::chrono::seconds> g_lastStamp{};  // the previous run's stamp

}  // namespace

std::string CheckStampText(CheckClock::time_point moment) {
  const std::time_t seconds = CheckClock::to_time_t(moment);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

std::string MakeCheckStamp(CheckClock::time_point now, const std::function<bool(const std::string&)>& inUse) {
  std::lock_guard<std::mutex> lock(g_stampLock);
  auto moment = std::chrono::floor<std::chrono::seconds>(now);
  if (g_lastStamp.time_since_epoch().count() != 0 && moment <= g_lastStamp) moment = g_lastStamp + std::chrono::seconds(1);
  std::string stamp = CheckStampText(moment);
  // A stamp already in the table would make its rows look found; a handful of seconds is enough
  // to get past runs that started together.
  for (int tries = 0; inUse && tries < 60 && inUse(stamp); ++tries) {
    moment += std::chrono::seconds(1);
    stamp = CheckStampText(moment);
  }
  g_lastStamp = moment;
  return stamp;
}

std::string CheckTotalText(long long files, long long elapsedSeconds) {
  if (elapsedSeconds < 0) elapsedSeconds = 0;
  long long minutes = elapsedSeconds / 60;
  const long long seconds = elapsedSeconds % 60;
  long long hours = 0;
  if (minutes >= 60) {
    hours = minutes / 60;
    minutes %= 60;
  }
  return "Total files:" + std::to_string(files) + " - Elapsed time: " + std::to_string(hours) + " h " +
         std::to_string(minutes) + " min " + std::to_string(seconds) + " s";
}

}  // namespace tessarine
