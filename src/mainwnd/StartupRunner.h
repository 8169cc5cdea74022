#pragma once
#include <QObject>

#include <functional>
#include <utility>
#include <vector>

namespace tembra {

// Runs the start-up sequence without freezing the GUI thread: each step's
// blocking part runs on a worker thread while the GUI thread waits in a
// local event loop (so the splash keeps animating and the single-instance
// socket keeps answering), then the step's GUI part gets the result on the
// GUI thread. Steps run one at a time, in the order added; a step starts
// only after the previous one's GUI part has returned.
//
// A blocking part must not send() to the main window: the window's queue
// holds messages while the sequence runs, so the send would wait for the
// sequence and the sequence for it. Posting is fine.
class StartupRunner : public QObject {
  Q_OBJECT

 public:
  explicit StartupRunner(QObject* parent = nullptr);
  ~StartupRunner() override;

  // A blocking step whose result reaches onGui on the GUI thread.
  template <class T>
  void addStep(std::function<T()> work, std::function<void(T)> onGui) {
    steps_.push_back({[work = std::move(work), onGui = std::move(onGui)]() -> Continuation {
      return [result = work(), onGui]() mutable { onGui(std::move(result)); };
    }, {}});
  }
  // A blocking step with no result; onGui (if any) runs when it is done.
  void addStep(std::function<void()> work, std::function<void()> onGui = {});
  // A step that runs on the GUI thread only.
  void addGuiStep(std::function<void()> onGui);

  // Runs every step added since the last run and returns when the last one
  // has ended. An exception from a step ends the sequence there and is
  // rethrown here, on the GUI thread; the steps after it do not run. When
  // the application is told to exit meanwhile, run() returns once the
  // blocking part under way has ended, and the remaining steps do not run.
  // (Qt forgets such an exit at the start of the next exec(), so a caller
  // that goes on to QApplication::exec() checks first whether it was told
  // to close.)
  void run();
  bool running() const { return running_; }

 private:
  using Continuation = std::function<void()>;
  struct Step {
    std::function<Continuation()> work;  // empty for a GUI-only step
    Continuation gui;                    // the GUI part of a GUI-only step
  };

  std::vector<Step> steps_;  // GUI thread only
  bool running_ = false;
};

}  // namespace tembra
