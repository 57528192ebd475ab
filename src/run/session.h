// What an open document keeps: its file, and what it keeps from one analysis run to the next. The
// window keeps one for its whole life; each rendered file gets its own, so renders never see each
// other's runs.
#pragma once

#include <optional>

#include "analysis/transform_tables.h"
#include "core/document.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "wave/wave_session.h"

namespace korimu {

class ColumnPool;

struct Session {
  // The user's choices the session works under: the window's are loaded at its start, edited by
  // the Options dialog and saved at its end; a rendered file gets the command line's.
  AppSettings settings;

  // The open document: what belongs to the file the user works on.
  Document document;
  // An analysis run is under way (from the file's re-opening to its last block); the window's
  // session is busy while its run or decode works on a worker, and refuses a second one.
  bool busy = false;
  // The open file, its sample buffers and its playback.
  WaveSession wave;
  // What its caller's open of the document's file found, when the caller has just opened it (a
  // render opens its file once: to check it, draw the strip and run): the run takes it and reads
  // that handle instead of opening the file again.
  std::optional<WaveOpenResult> fileOpenedForRun;
  // The canvases and what the display remembers between runs.
  DisplayState display;
  // The transforms' tables, kept while the block size stays.
  TransformTables tables;
  // The threads a chart's blocks are analysed on, lent by the session's owner; none: one block
  // after another on the run's own thread, with `tables`.
  ColumnPool* columnPool = nullptr;
  // The loudest MEM block analysed so far: a later block is compared with every earlier one,
  // across runs.
  double memRunningMax = 0.0;
  // A chart run keeps each cell's power and block for the numbers export and the cross-section;
  // a render that writes only the picture has no reader for them.
  bool keepsChartNumbers = true;
};

}  // namespace korimu
