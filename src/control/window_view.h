// What the command handling asks of the window that shows it. The Qt front end answers with its
// widgets; tests answer with a recorder. Every request defaults to doing nothing (and a question
// to "no"), so a view implements only what it shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/ui_state.h"
#include "core/source_format.h"
#include "platform/canvas.h"
#include "run/run_listener.h"

namespace korimu {

class WindowView {
 public:
  virtual ~WindowView() = default;

  // The controls.
  virtual void showEnabling(const Enabling&) {}
  virtual void checkMenuItem(int /*id*/, bool /*on*/) {}
  virtual void checkRadio(int /*id*/, bool /*on*/) {}
  // The text of the span combobox's selected item.
  virtual std::string spanText() { return {}; }
  // The span list's items, widest first; the selected item stays selected when it is still
  // there, else the first ("全体") is.
  virtual void setSpanLabels(const std::vector<std::string>& /*labels*/) {}
  // Selects the span item `label`; false when the list has no such item.
  virtual bool selectSpan(const std::string& /*label*/) { return false; }
  virtual void setTitle(const std::string& /*title*/) {}
  // The first gain button's caption, which follows the window function.
  virtual void setGainCaption(const std::string& /*utf8*/) {}

  // Painting: the client canvas changed (all of it or one rectangle); the overview is to be drawn
  // from the file again; a full-height strip of the overview is inverted.
  virtual void refreshClient() {}
  virtual void refreshClientArea(const Rect& /*area*/) { refreshClient(); }
  virtual void invalidateOverview() {}
  virtual void invertOverviewStrip(int /*x*/, int /*width*/) {}
  // The playback marker's timer: markerTick (wave/playback.h) every `periodMs`; 0 stops it.
  virtual void setMarkerTimer(uint32_t /*periodMs*/) {}
  // The wait cursor on (true) or back to the previous cursor (false).
  virtual void showHourglass(bool /*on*/) {}

  // Dialogs and other windows. chooseFileToOpen (which starts in `folder` when it is not empty)
  // and runOptionsDialog return false when cancelled.
  virtual bool chooseFileToOpen(const std::string& /*folder*/, std::string* /*chosen*/) {
    return false;
  }
  virtual bool openHelpPage(const std::string& /*path*/) { return false; }
  // The Go-to box, starting with `current`; false when cancelled.
  virtual bool askTime(const std::string& /*current*/, std::string* /*answer*/) { return false; }
  virtual bool runOptionsDialog(AppSettings& /*settings*/) { return false; }
  // The file information dialog for the WAV file at `path`; for a decoded copy, with what its
  // source holds above the copy's header. The dialogs' 3D-look item switches the settings they
  // are given.
  virtual void runInfoDialog(AppSettings& /*settings*/, const std::string& /*path*/,
                             const SourceFormat* /*decodedFrom*/) {}
  virtual void runAboutDialog(AppSettings& /*settings*/) {}

  virtual bool crossSectionOpen() { return false; }
  virtual void openCrossSection() {}
  virtual void closeCrossSection() {}
  virtual void refreshCrossSection() {}
  virtual void closeWindow() {}
  // Where to save a picture ("png") or a table ("csv"): a file dialog that proposes `proposed`;
  // false when cancelled.
  virtual bool chooseFileToSave(const std::string& /*proposed*/, const std::string& /*kind*/,
                                std::string* /*chosen*/) {
    return false;
  }
  virtual void copyPictureToClipboard(const Canvas& /*picture*/) {}

  // Analysis runs and decodes run on a worker thread when the view can wake the window's thread
  // for what they hand over; otherwise (the controller's tests) they run at once on the caller's.
  virtual bool runsInBackground() { return false; }
  // Called from a worker: `task` is to run on the window's thread soon, through its event queue.
  virtual void wakeOwner(const std::function<void()>& /*task*/) {}
  // What follows the runs on the window's thread: menu checks, the cross-section item, the
  // overview's diagnostic texts, and a test's watcher.
  virtual RunListener& runListener() { return quiet_; }
  // A run or decode has ended and the window is back to normal.
  virtual void backgroundEnded() {}

 private:
  RunListener quiet_;
};

}  // namespace korimu
