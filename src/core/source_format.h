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
  uint64_t frames = 0;  // as the library counts them before decoding; may be an estimate

  double seconds() const { return rate == 0 ? 0.0 : double(frames) / double(rate); }
  // The decoded copy keeps mono and stereo; more channels are mixed to stereo.
  int decodedChannels() const { return channels == 1 ? 1 : 2; }
  // Container, encoding, rate, channels and frames, as the format check's DECODES line names them.
  std::string description() const {
    return container + ' ' + encoding + ' ' + std::to_string(rate) + "Hz " +
           std::to_string(channels) + "ch " + std::to_string(frames) + " frames";
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
