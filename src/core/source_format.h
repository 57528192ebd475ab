// What a file the WAV reader refuses holds, as the decoding library reports it: the document of a
// decoded file keeps it to show beside the decoded copy's own header.
#pragma once

#include <cstdint>
#include <string>

namespace korimu {

struct SourceFormat {
  std::string container;  // "FLAC", "WAV", "AIFF", "OGG", ...
  std::string encoding;   // "PCM_24", "FLOAT", "VORBIS", ...
  uint32_t rate = 0;
  int channels = 0;
  // The source's frames: the library's count before decoding (an estimate for some kinds), the
  // decoded count once decoded. A stream that does not say how long it is (a FLAC written to a
  // pipe) has no count (lengthKnown false) until it is decoded; nor has one decoded only in part.
  uint64_t frames = 0;
  bool lengthKnown = true;
  // A source longer than a decoded copy may be is decoded only as far as the copy goes: the copy
  // shows its first `shownFrames` (0: the whole source), cut at `copyLimitBytes`.
  uint64_t shownFrames = 0;
  uint64_t copyLimitBytes = 0;

  bool cut() const { return shownFrames != 0; }
  double seconds() const { return rate == 0 ? 0.0 : double(frames) / double(rate); }
  double shownSeconds() const { return rate == 0 ? 0.0 : double(shownFrames) / double(rate); }
  // The decoded copy keeps mono and stereo; more channels are mixed to stereo.
  int decodedChannels() const { return channels == 1 ? 1 : 2; }
  // How long the source is, followed by `unit`, and how much of it a copy shows: "88200 frames",
  // "unknown frames", "1090519056 frames (the first 536870906 shown)", "more than 536870906
  // frames (the first 536870906 shown)".
  std::string framesText(const std::string& unit) const {
    const std::string shown =
        cut() ? " (the first " + std::to_string(shownFrames) + " shown)" : std::string();
    if (lengthKnown) return std::to_string(frames) + unit + shown;
    return (cut() ? "more than " + std::to_string(shownFrames) : "unknown") + unit + shown;
  }
  // Container, encoding, rate, channels and frames, as the format check's DECODES line names them.
  std::string description() const {
    return container + ' ' + encoding + ' ' + std::to_string(rate) + "Hz " +
           std::to_string(channels) + "ch " + framesText(" frames");
  }
  // The short name the status texts show before "→" and the copy's bits: the container, except
  // where its name says less than the codec's (an Ogg stream of Opus; MPEG audio, known as MP3).
  std::string mark() const {
    if (encoding == "OPUS") return "OPUS";
    if (container == "MPEG") return "MP3";
    return container;
  }
};

}  // namespace korimu
