// The waveform overview strip: 512 columns of min/max envelope with the sample-to-sample trace,
// one column per `framesPerColumn` frames from `position` on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/layout.h"
#include "platform/canvas.h"
#include "wave/wave_source.h"

namespace korimu {

struct OverviewSummary;

// Column for column above the chart: both give a column framesPerColumn frames.
inline constexpr int kOverviewColumns = kPlotWidth;

struct OverviewSource {
  int32_t formatTag = 0;
  int32_t sampleKind = 0;  // bit 0: 16-bit samples, bit 1: two channels
  // Bytes of sample data from the current read position to the end of the data chunk; the strip
  // never reads further, so chunks after the data are never drawn as samples.
  uint64_t dataBytesLeft = 0;
  // Reads up to n bytes into the buffer; returns the bytes read (0 at the end or on an error).
  std::function<size_t(uint8_t* buffer, size_t n)> read;
};

// The summary draws columns of at least this many buckets: a narrower span is read whole faster
// than its 513 column edges are read one by one.
inline constexpr int kSummaryColumnBuckets = 16;

// Draws the strip onto the whole canvas (512 x G). The caller positions the source at the data
// offset + `position` before and after. Returns false when the work buffer cannot be had (after
// the fatal "dispwave" message, through `messages`).
bool drawOverview(Canvas& strip, const OverviewSource& source, int framesPerColumn,
                  int amplitudeZoom, const Messages& messages = Messages{});

// Draws the strip of the open file from `position` with the given span and zoom, and leaves the
// file positioned at `position` again. Does nothing when no file is open.
void drawOverviewOfOpenFile(Canvas& strip, WaveSource& file, uint32_t position, int framesPerColumn,
                            int amplitudeZoom, const Messages& messages);
// The same picture drawn from the file's summary where it helps (wide columns, a position on a
// frame's edge, a summary of this file as it is now), else from the samples. Null: no summary.
void drawOverviewOfOpenFile(Canvas& strip, WaveSource& file, const OverviewSummary* summary,
                            uint32_t position, int framesPerColumn, int amplitudeZoom,
                            const Messages& messages);

// Whether a strip of `framesPerColumn` frames a column is drawn from a summary of
// `bucketFrames`-frame buckets (without one it would read every sample of a wide span).
bool overviewDrawnFromSummary(int64_t framesPerColumn, uint32_t bucketFrames);

// The strip as the window's thread draws it, which never reads a wide span of samples: from the
// summary when it is ready, and while a wide span's summary is still being built (`summaryPending`)
// a blank strip, returning false: it is drawn again when the summary is ready. Narrow spans, and a
// file whose summary could not be built, are read as they are.
bool drawOverviewWithoutWideReads(Canvas& strip, WaveSource& file, const OverviewSummary* summary,
                                  bool summaryPending, uint32_t position, int framesPerColumn,
                                  int amplitudeZoom, const Messages& messages);

}  // namespace korimu
