// Writes the decode target's seeds into the folder given: a short tone in every container and
// encoding this libsndfile writes (FLAC, Ogg, Opus, MP3, AIFF, CAF, RF64, ADPCM, ...), mono, stereo
// and six channels. Made with the library at run time, so no binary is kept in the repository.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

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
        constexpr int kFrames = 400;
        std::vector<double> tone(size_t(kFrames * shape.channels));
        for (size_t i = 0; i < tone.size(); ++i)
          tone[i] = 0.6 * std::sin(double(i / size_t(shape.channels)) * 0.31 + double(i % 7));
        sf_writef_double(file, tone.data(), kFrames);
        sf_close(file);
        ++written;
      }
    }
  }
  std::printf("%d decode seeds written to %s\n", written, argv[1]);
  return written > 0 ? 0 : 1;
}
