#pragma once
#include <QObject>

class QSocketNotifier;

namespace tembra {

// Turns SIGTERM, SIGINT and SIGHUP into the Qt signal received(), emitted
// on the thread that made the bridge (the GUI thread), so that a logout, a
// kill or Ctrl+C runs the window's close sequence and nothing is lost. The
// C handler only writes the signal number to a pipe; a socket notifier
// reads it back. One bridge per process; the previous handlers come back
// when it is destroyed.
class SignalBridge : public QObject {
  Q_OBJECT

 public:
  explicit SignalBridge(QObject* parent = nullptr);
  ~SignalBridge() override;

  // False when the pipe or the handlers could not be set up (or another
  // bridge exists); the signals then keep their previous handling.
  bool installed() const { return installed_; }

 signals:
  void received(int signalNumber);

 private:
  void readPipe();

  bool installed_ = false;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tembra
