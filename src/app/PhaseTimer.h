// TPhaseTimer: wall-clock timing of one user-visible operation of the window (open, save,
// control), split into named steps. Off unless the environment sets VANTREL_TIMING=1; then
// one line per operation goes to stderr, with how much the process's peak memory grew (new
// memory is costly to touch the first time):
//   timing: open 412 ms (read 230, decode 120, view 0, show 62; memory +144 MiB)
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QWidget;

class TPhaseTimer {
public:
  explicit TPhaseTimer(const char* operation);

  static bool Enabled();

  // Ends the step running since the previous mark (or the start) under `step`.
  void Mark(const char* step);
  // Ends the last step now and prints the line.
  void Finish(const char* step);
  // Ends the last step, named `step`, once `widget` has been painted and the event loop has
  // handled what that paint queued; prints then. Without a paint nothing is printed.
  void FinishAfterPaint(const char* step, QWidget* widget);
  // Ends the last step once the event loop has handled the events queued so far.
  void FinishWhenIdle(const char* step);

private:
  struct State {
    QString operation;
    QElapsedTimer clock;
    qint64 lastMark = 0;
    long peakKiB = 0;
    std::vector<std::pair<QString, qint64>> steps;
  };
  static void Print(State& state, const char* step);

  std::shared_ptr<State> state_; // null when timing is off
};
