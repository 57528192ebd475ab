// What lies under a point of the main window's plot, named from the run record that drew it: a
// chart cell, a spectrum bin or point, a meter band, a waveform sample. The numbers are the
// record's own, the same the CSV gives; nothing is read back from the picture.
#pragma once

#include <string>

#include "platform/text_catalogue.h"
#include "run/run_record.h"

namespace korimu {

// A place in a record's picture: the item along the plot's x axis, counted from the left (chart
// column, spectrum bin or point, meter band, waveform sample or lag), and for the chart the row
// (0 the top). Other views have one row.
struct ReadoutPlace {
  int item = -1;
  int row = 0;
  bool valid() const { return item >= 0; }
  friend bool operator==(const ReadoutPlace&, const ReadoutPlace&) = default;
};

enum class ReadoutKind {
  kNothing,
  kChartCell,
  kSpectrumPoint,
  kMeterBand,
  kWaveSample,
  kSectionRow,  // a row of the cross-section's column
};

// Whether the readout names the note of a frequency, and the la of the key it names them in.
struct NoteNaming {
  bool on = false;
  double referenceLa = 1760.0;
};

struct ReadoutValues {
  ReadoutKind kind = ReadoutKind::kNothing;
  // The row of the CSV the values come from: the chart column, the spectrum's index, the meter's
  // band (0 the highest), the waveform's sample or lag.
  int index = 0;
  int chartRow = 0;           // the chart's row, 0 the top
  double seconds = 0.0;       // chart: the column's time
  double frequency = 0.0;     // chart row, spectrum point
  double fromHz = 0.0;        // meter band: its lowest and highest bin
  double toHz = 0.0;          //
  double power = 0.0;         // chart cell, spectrum point, meter band
  double decibels = 0.0;      // the same against the power drawn as 0 dB
  double milliseconds = 0.0;  // waveform: from the block's start
  double value = 0.0;         // waveform: the sample (both channels mixed) or the autocorrelation
  bool lag = false;           // the waveform is an autocorrelation
  int channels = 1;
  int noteClass = -1;  // semitones above la, or -1 when no note is named
  bool shown() const { return kind != ReadoutKind::kNothing; }
};

// How many items and rows a record's picture has (0 items: nothing was drawn).
int readoutItems(const RunRecord& record);
int readoutRows(const RunRecord& record);

// The place under the plot pixel (x, y), counted from the plot's top-left corner; none outside
// the plot or over an empty one. A chart names its cell; a spectrum the loudest of the points
// drawn in that pixel column, else the nearest one; a meter the band whose bar (with half the gap
// each side) holds x; a waveform the sample nearest the pixel's middle.
ReadoutPlace readoutPlaceAt(const RunRecord& record, int x, int y);

// Where a place is drawn, in plot pixels: its column, and its row (the chart's row, the depth a
// spectrum point, band or sample is drawn at).
struct PlotPixel {
  int x = 0;
  int y = 0;
};
PlotPixel readoutPixel(const RunRecord& record, ReadoutPlace place);

// The numbers of a place; nothing for a chart cell no block has drawn yet.
ReadoutValues readoutValues(const RunRecord& record, ReadoutPlace place, const NoteNaming& notes);

// The cross-section graph, `sectionWidth` pixels wide, of chart column `column`: the numbers of
// the row drawn at pixel x of the graph (counted from its left edge); nothing outside it or for a
// cell no block drew.
ReadoutValues sectionReadout(const RunRecord& record, int column, int sectionWidth, int x,
                             const NoteNaming& notes);

enum class ReadoutStep { kLeft, kRight, kUp, kDown, kFirst, kLast };

// The cross-section graph, `sectionWidth` pixels wide, draws the chart column's 256 elements
// left to right (element 0 the chart's bottom row). The element drawn at pixel x, or -1 outside
// the graph; where an element is drawn: its first pixel, and the depth of its level (the top of
// its bar; the graph's middle for a cell no block drew).
int sectionElementAt(int sectionWidth, int x);
PlotPixel sectionElementPixel(const RunRecord& record, int column, int sectionWidth, int element);
// The element one to the left or right, or the first or last; it stays inside the graph. Up and
// down leave it where it is.
int steppedSectionElement(int element, ReadoutStep step);
// The place one item or row on, or the first or last item; it stays inside the picture.
ReadoutPlace steppedPlace(const RunRecord& record, ReadoutPlace place, ReadoutStep step);

// The place inside the picture nearest `place`; none when the picture is empty.
ReadoutPlace placeInside(const RunRecord& record, ReadoutPlace place);

// The values as lines of text (joined by '\n'); empty when nothing is shown.
std::string readoutText(const ReadoutValues& values, const TextCatalogue& texts = {});
// The note name of a note class: the syllable of the key's scale, with "#" between two.
std::string noteName(int noteClass, const TextCatalogue& texts = {});

}  // namespace korimu
