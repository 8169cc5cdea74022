#include "mainwnd/StartupRunner.h"

#include <QEventLoop>

#include <exception>
#include <thread>

namespace tembra {

StartupRunner::StartupRunner(QObject* parent) : QObject(parent) {}

StartupRunner::~StartupRunner() = default;

void StartupRunner::addStep(std::function<void()> work, std::function<void()> onGui) {
  steps_.push_back({[work = std::move(work), onGui = std::move(onGui)]() -> Continuation {
    work();
    return onGui ? onGui : [] {};
  }, {}});
}

void StartupRunner::addGuiStep(std::function<void()> onGui) {
  steps_.push_back({{}, std::move(onGui)});
}

void StartupRunner::run() {
  if (running_) return;
  running_ = true;
  std::vector<Step> steps;
  steps.swap(steps_);

  QEventLoop loop;
  // Results are delivered to this object, so that any still queued when the
  // loop is left early die with it instead of reaching the locals below.
  QObject context;
  std::thread worker;
  std::exception_ptr error;
  size_t next = 0;
  bool finished = false;

  auto finish = [&] {
    finished = true;
    loop.quit();
  };
  // Runs GUI-only steps at once and hands the next blocking one to a new
  // worker, whose result comes back through the event loop.
  std::function<void()> advance = [&] {
    try {
      while (next < steps.size() && !steps[next].work) steps[next++].gui();
    } catch (...) {
      error = std::current_exception();
      return finish();
    }
    if (next == steps.size()) return finish();
    auto work = std::move(steps[next++].work);
    worker = std::thread([&context, work = std::move(work), &worker, &error, &advance, &finish] {
      Continuation gui;
      std::exception_ptr failed;
      try {
        gui = work();
      } catch (...) {
        failed = std::current_exception();
      }
      QMetaObject::invokeMethod(
          &context,
          [&worker, &error, &advance, &finish, gui = std::move(gui), failed] {
            worker.join();
            if (failed) {
              error = failed;
              return finish();
            }
            try {
              gui();
            } catch (...) {
              error = std::current_exception();
              return finish();
            }
            advance();
          },
          Qt::QueuedConnection);
    });
  };

  advance();
  if (!finished) loop.exec();
  if (worker.joinable()) worker.join();
  running_ = false;
  if (error) std::rethrow_exception(error);
}

}  // namespace tembra
