// While an analysis run handles events between its blocks, a request to quit the application
// cannot unwind the run: it ends the process at once with exit code 1 (settings are not written).
#pragma once

#include <QObject>

namespace korimu {

// Watches the application for quit requests for as long as it exists.
class QuitEndsRun : public QObject {
 public:
  QuitEndsRun();
  ~QuitEndsRun() override;
  QuitEndsRun(const QuitEndsRun&) = delete;
  QuitEndsRun& operator=(const QuitEndsRun&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace korimu
