#pragma once
// The window's live catalogue: the folders of the list watched and rescanned as files change in
// them (see CatalogueWatch), on a thread of its own with a catalogue connection of its own, while
// "Keep the catalogue current while the window is open" is ticked. It works unseen but for the
// scan log: what each batch catalogued, and any message, become lines there; it never opens a
// message box or asks anything.

#include <atomic>
#include <thread>

class QObject;

namespace tessarine {

class WindowContext;

class BackgroundWatch {
 public:
  // receiver: the object on whose thread the log is written.
  BackgroundWatch(WindowContext& context, QObject* receiver);
  // Stops the watch and waits for it.
  ~BackgroundWatch();
  BackgroundWatch(const BackgroundWatch&) = delete;
  BackgroundWatch& operator=(const BackgroundWatch&) = delete;

  // Starts watching with the window's settings now, unless a watch runs.
  void Start();
  // Ends the watch after its file in progress, and waits for it.
  void Stop();
  // True from Start until the watch ended (stopped, or failed to read the folder list).
  bool Running() const { return m_running; }

 private:
  WindowContext& m_context;
  QObject* m_receiver;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_running{false};
  std::thread m_thread;
};

}  // namespace tessarine
