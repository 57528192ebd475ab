// Writes the decode target's seeds into the folder given: a short tone in every container and
// encoding this libsndfile writes (FLAC, Ogg, Opus, MP3, AIFF, CAF, RF64, ADPCM, ...), mono, stereo
// and six channels, and FLACs written to a pipe (of no stated length). Made with the library at run
// time, so no binary is kept in the repository.
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFrames = 400;

void writeTone(SNDFILE* file, int channels) {
  std::vector<double> tone(size_t(kFrames * channels));
  for (size_t i = 0; i < tone.size(); ++i)
    tone[i] = 0.6 * std::sin(double(i / size_t(channels)) * 0.31 + double(i % 7));
  sf_writef_double(file, tone.data(), kFrames);
}

// The tone as a FLAC encoded into a pipe that a thread drains into `path`.
bool writeThroughPipe(const std::string& path, int rate, int channels) {
  int ends[2];
  if (::pipe(ends) != 0) return false;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
      if (out) std::fwrite(buffer, 1, size_t(got), out);
  });
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open_fd(ends[1], SFM_WRITE, &info, SF_FALSE);
  if (file) {
    writeTone(file, channels);
    sf_close(file);
  }
  ::close(ends[1]);
  reader.join();
  ::close(ends[0]);
  return out != nullptr && std::fclose(out) == 0 && file != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_decode_seeds FOLDER\n");
    return 2;
  }
  int majors = 0, subtypes = 0, written = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &majors, sizeof majors);
  sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &subtypes, sizeof subtypes);
  const struct { int rate, channels; } shapes[] = {{8000, 1}, {22050, 2}, {48000, 6}};
  for (int m = 0; m < majors; ++m) {
    SF_FORMAT_INFO major{};
    major.format = m;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &major, sizeof major);
    for (int s = 0; s < subtypes; ++s) {
      SF_FORMAT_INFO subtype{};
      subtype.format = s;
      sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &subtype, sizeof subtype);
      for (const auto& shape : shapes) {
        SF_INFO info{};
        info.samplerate = shape.rate;
        info.channels = shape.channels;
        info.format = major.format | subtype.format;
        if (!sf_format_check(&info)) continue;
        const std::string path = std::string(argv[1]) + "/seed-" + major.extension + "-" +
                                 std::to_string(s) + "-" + std::to_string(shape.channels) + "ch";
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (!file) continue;
        writeTone(file, shape.channels);
        sf_close(file);
        ++written;
      }
    }
  }
  // FLACs written to a pipe, as an encoder writing to standard output leaves them: no total length.
  for (const auto& shape : shapes) {
    const std::string path =
        std::string(argv[1]) + "/seed-flac-from-a-pipe-" + std::to_string(shape.channels) + "ch";
    if (writeThroughPipe(path, shape.rate, shape.channels)) ++written;
  }
  std::printf("%d decode seeds written to %s\n", written, argv[1]);
  return written > 0 ? 0 : 1;
}
