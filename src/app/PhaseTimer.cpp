#include "app/PhaseTimer.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/resource.h>

namespace {

long PeakMemoryKiB() {
  rusage usage{};
  return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

// Waits for one paint of its widget, then lets the event loop finish that paint (the
// backing store is flushed to the screen after the paint event returns) before it reports.
class PaintWatcher : public QObject {
public:
  PaintWatcher(QWidget* widget, std::function<void()> done)
      : QObject(widget), done_(std::move(done)) {
    widget->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Removed at its first paint, the filter sees no later event.
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, [done = std::move(done_)] { done(); });
      deleteLater();
    }
    return false;
  }

private:
  std::function<void()> done_;
};

} // namespace

bool TPhaseTimer::Enabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("VANTREL_TIMING");
    return value && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

TPhaseTimer::TPhaseTimer(const char* operation) {
  if (!Enabled()) return;
  state_ = std::make_shared<State>();
  state_->operation = operation;
  state_->peakKiB = PeakMemoryKiB();
  state_->clock.start();
}

void TPhaseTimer::Mark(const char* step) {
  if (!state_) return;
  qint64 now = state_->clock.elapsed();
  state_->steps.emplace_back(step, now - state_->lastMark);
  state_->lastMark = now;
}

void TPhaseTimer::Finish(const char* step) {
  if (state_) Print(*state_, step);
}

void TPhaseTimer::FinishAfterPaint(const char* step, QWidget* widget) {
  if (!state_) return;
  new PaintWatcher(widget, [state = state_, step] { Print(*state, step); });
}

void TPhaseTimer::FinishWhenIdle(const char* step) {
  if (!state_) return;
  QTimer::singleShot(0, [state = state_, step] { Print(*state, step); });
}

void TPhaseTimer::Print(State& state, const char* step) {
  qint64 total = state.clock.elapsed();
  state.steps.emplace_back(step, total - state.lastMark);
  QString line = QString("timing: %1 %2 ms (").arg(state.operation).arg(total);
  for (size_t i = 0; i < state.steps.size(); ++i)
    line += QString(i ? ", %1 %2" : "%1 %2").arg(state.steps[i].first).arg(state.steps[i].second);
  line += QString("; memory +%1 MiB)\n").arg((PeakMemoryKiB() - state.peakKiB) / 1024);
  std::fputs(line.toUtf8().constData(), stderr);
  std::fflush(stderr);
}
