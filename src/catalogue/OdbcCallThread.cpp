#include "catalogue/OdbcCallThread.h"

#include <sqlext.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>

namespace tessarine {
namespace {

std::mutex g_givenUpMutex;
std::condition_variable g_givenUpEnded;
std::size_t g_givenUp = 0;

}  // namespace

struct OdbcCallThread::State {
  std::mutex mutex;
  std::condition_variable wake;  // work was queued, or the owner has gone
  std::condition_variable done;  // a piece of work returned
  std::deque<std::function<void()>> queue;
  std::uint64_t queued = 0;
  std::uint64_t finished = 0;
  bool ownerGone = false;
  bool gaveUp = false;
  // The SQLCancel of a call given up: it uses the statement handle the next work may free.
  std::thread cancel;
};

void OdbcCallThread::Serve(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    state->wake.wait(lock, [&] { return state->ownerGone || !state->queue.empty(); });
    if (state->queue.empty()) {
      if (state->gaveUp) {
        std::lock_guard count(g_givenUpMutex);
        --g_givenUp;
        g_givenUpEnded.notify_all();
      }
      return;
    }
    std::function<void()> work = std::move(state->queue.front());
    state->queue.pop_front();
    lock.unlock();
    work();
    work = nullptr;
    lock.lock();
    if (state->cancel.joinable()) {
      std::thread cancel = std::move(state->cancel);
      lock.unlock();
      cancel.join();
      lock.lock();
    }
    ++state->finished;
    state->done.notify_all();
  }
}

OdbcCallThread::~OdbcCallThread() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_state->mutex);
    m_state->ownerGone = true;
  }
  m_state->wake.notify_one();
  // A thread still inside the driver ends by itself once the call returns and the queue is done.
  if (m_gaveUp) {
    m_thread.detach();
  } else {
    m_thread.join();
  }
}

std::optional<SQLRETURN> OdbcCallThread::Run(std::function<SQLRETURN()> call, std::chrono::milliseconds limit,
                                             SQLHSTMT statement) {
  if (m_gaveUp) return std::nullopt;
  if (!m_thread.joinable()) {
    m_state = std::make_shared<State>();
    try {
      m_thread = std::thread([state = m_state] { Serve(state); });
    } catch (const std::system_error&) {
      // Without a thread of its own the call runs here, unbounded, as it always did.
      m_state.reset();
      return call();
    }
  }
  auto result = std::make_shared<SQLRETURN>(SQL_ERROR);
  std::unique_lock lock(m_state->mutex);
  m_state->queue.push_back([call = std::move(call), result] { *result = call(); });
  const std::uint64_t ticket = ++m_state->queued;
  m_state->wake.notify_one();
  if (m_state->done.wait_for(lock, limit, [&] { return m_state->finished >= ticket; })) return *result;

  m_gaveUp = true;
  m_state->gaveUp = true;
  {
    std::lock_guard count(g_givenUpMutex);
    ++g_givenUp;
  }
  if (statement != SQL_NULL_HSTMT) {
    // The server may still be there, only slow: ask it to drop the statement.
    try {
      m_state->cancel = std::thread([statement] { SQLCancel(statement); });
    } catch (const std::system_error&) {
      // not sent; the call still ends when the server answers
    }
  }
  return std::nullopt;
}

void OdbcCallThread::After(std::function<void()> work) {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_state->mutex);
    m_state->queue.push_back(std::move(work));
    ++m_state->queued;
  }
  m_state->wake.notify_one();
}

DatabaseError NoAnswerError(unsigned long seconds, ErrorKind kind) {
  return DatabaseError(0, "HYT00",
                       "The database did not answer within " + std::to_string(seconds) +
                           (seconds == 1 ? " second" : " seconds"),
                       kind);
}

std::size_t CallsGivenUpStillRunning() {
  std::lock_guard count(g_givenUpMutex);
  return g_givenUp;
}

void WaitForCallsGivenUp() {
  std::unique_lock count(g_givenUpMutex);
  g_givenUpEnded.wait(count, [] { return g_givenUp == 0; });
}

}  // namespace tessarine
