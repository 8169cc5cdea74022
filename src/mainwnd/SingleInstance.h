#pragma once
#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "platform/UniqueFd.h"

class QLocalServer;
class QLocalSocket;

namespace tembra {

// One running copy per user. The lock is an flock on the file "Quorvi" in
// the user's runtime directory, held by an open descriptor for the life of
// the process (the kernel drops it when the process ends, so it never goes
// stale). The copy holding it also serves the local socket "Quorvi.socket"
// beside it once its window exists; a later copy connects there and asks it
// to bring its window forward, then exits.
//
// When the lock is held but nobody answers on the socket, the other copy is
// alive (the lock proves it) but has no window yet, or is closing, or hangs.
// establish() keeps trying both for a grace period: a copy that is still
// starting opens its socket within it, and a closing one frees the lock.
// After that the caller shows "TV_APP_SINGLE_INSTANCE" and exits rather
// than run a second copy, which would share config.ini, the statistics
// backlog, the advertisement folders and the notice port with the first.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    Primary,     // this copy holds the lock and goes on
    HandedOver,  // a running copy answered and brought its window forward
    NoAnswer,    // the lock is held but no running copy answered in time
    Failed,      // no lock could be made (no usable runtime directory, ...)
  };

  // directory is where the lock and the socket live (see runtimeDirectory).
  explicit SingleInstance(std::string directory, QObject* parent = nullptr);
  ~SingleInstance() override;

  // $XDG_RUNTIME_DIR when set to a directory, else /tmp/tembra-<uid>,
  // created with mode 0700. A fallback folder another user could have made
  // (not ours, not a plain directory, open to others) is refused: the empty
  // text is returned and establishing the instance fails.
  static std::string runtimeDirectory();
  // The same rule with its inputs given; fallbackRoot stands for /tmp.
  static std::string runtimeDirectory(const char* xdgRuntimeDir, const std::string& fallbackRoot,
                                      unsigned uid);

  // Takes the lock, or asks the copy holding it to activate its window,
  // retrying both until graceMs has passed. Blocks the calling thread; run
  // it before any window exists.
  Outcome establish(int graceMs = 3000);

  // Only for the copy holding the lock: serves the socket, calling
  // onActivate on the GUI thread for every request from a later copy. The
  // main window opens it once its layout is loaded. False when the socket
  // cannot be served (a later copy then gets no answer).
  bool listen(std::function<void()> onActivate);
  // Stops answering (the window is closing); the lock stays held.
  void stopListening();
  bool listening() const;

  // One request to the copy holding the lock, waiting up to timeoutMs for
  // its answer. True when it answered that its window was brought forward.
  bool askToActivate(int timeoutMs) const;

  const std::string& lockPath() const { return lockPath_; }
  const std::string& socketPath() const { return socketPath_; }

 private:
  enum class Lock { Taken, Held, Failed };
  Lock tryLock();
  void serve(QLocalSocket* client);

  std::string directory_;
  std::string lockPath_;
  std::string socketPath_;
  UniqueFd lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> onActivate_;
};

}  // namespace tembra
