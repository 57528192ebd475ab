// Writes the demo recording: about 10 s of 44.1 kHz 16-bit stereo made of tones on musical notes,
// a rising chirp, pink noise and a stretch of digital silence. The output is the same on every run.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

struct Stereo {
  std::vector<double> left, right;
  void push(double l, double r) {
    left.push_back(l);
    right.push_back(r);
  }
};

// Frequency of a note numbered as on a MIDI keyboard (69 is A4, 440 Hz).
double noteHz(int note) {
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// A short attack and a gentle decay, so notes do not click.
double envelope(int i, int length) {
  const double attack = std::min(1.0, i / (0.01 * kRate));
  const double release = std::min(1.0, (length - i) / (0.02 * kRate));
  return attack * release * std::exp(-1.5 * i / double(length));
}

void addNotes(Stereo& out) {
  // C major arpeggio up and a fifth leap: C4 E4 G4 C5 A4 E5, each 0.5 s.
  const int notes[] = {60, 64, 67, 72, 69, 76};
  const int length = kRate / 2;
  for (int note : notes) {
    const double f = noteHz(note);
    for (int i = 0; i < length; ++i) {
      const double t = double(i) / kRate;
      const double tone = std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * 2 * f * t) +
                          0.15 * std::sin(kTwoPi * 3 * f * t);
      const double e = 0.45 * envelope(i, length);
      // The right channel carries the note an octave lower as well.
      out.push(e * tone, e * (0.7 * tone + 0.4 * std::sin(kTwoPi * f / 2 * t)));
    }
  }
}

void addChirp(Stereo& out) {
  // Exponential sweep from 50 Hz to 12 kHz over 3 s.
  const double f0 = 50.0, f1 = 12000.0, seconds = 3.0;
  const int length = int(seconds * kRate);
  const double k = std::log(f1 / f0) / seconds;
  for (int i = 0; i < length; ++i) {
    const double t = double(i) / kRate;
    const double phase = kTwoPi * f0 * (std::exp(k * t) - 1.0) / k;
    const double e = 0.5 * std::min(1.0, std::min(i, length - i) / (0.02 * kRate));
    out.push(e * std::sin(phase), e * std::sin(phase));
  }
}

// A small fixed-seed generator, so the file is identical on every build.
struct Random {
  uint32_t state = 0x1234567u;
  double uniform() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return double(state) / 4294967296.0 * 2.0 - 1.0;
  }
};

void addPinkNoise(Stereo& out) {
  // White noise through Paul Kellet's economy pink filter, one filter per channel.
  Random random;
  double l[3] = {}, r[3] = {};
  const int length = int(2.5 * kRate);
  const auto pink = [](double* b, double white) {
    b[0] = 0.99765 * b[0] + white * 0.0990460;
    b[1] = 0.96300 * b[1] + white * 0.2965164;
    b[2] = 0.57000 * b[2] + white * 1.0526913;
    return (b[0] + b[1] + b[2] + white * 0.1848) * 0.11;
  };
  for (int i = 0; i < length; ++i) {
    const double e = std::min(1.0, std::min(i, length - i) / (0.01 * kRate));
    out.push(e * pink(l, random.uniform()), e * pink(r, random.uniform()));
  }
}

void addSilence(Stereo& out) {
  for (int i = 0; i < int(1.5 * kRate); ++i) out.push(0.0, 0.0);
}

void put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, uint16_t(v));
  put16(b, uint16_t(v >> 16));
}
void putId(std::vector<uint8_t>& b, const char* id) {
  b.insert(b.end(), id, id + 4);
}

int16_t toSample(double v) {
  const double scaled = std::round(v * 32767.0);
  return int16_t(std::max(-32768.0, std::min(32767.0, scaled)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.wav\n", argv[0]);
    return 2;
  }
  Stereo s;
  addNotes(s);
  addChirp(s);
  addPinkNoise(s);
  addSilence(s);

  const uint32_t frames = uint32_t(s.left.size());
  const uint32_t dataBytes = frames * 4;
  std::vector<uint8_t> b;
  putId(b, "RIFF");
  put32(b, 4 + 8 + 16 + 8 + dataBytes);
  putId(b, "WAVE");
  putId(b, "fmt ");
  put32(b, 16);
  put16(b, 1);          // PCM
  put16(b, 2);          // stereo
  put32(b, kRate);      // samples per second
  put32(b, kRate * 4);  // bytes per second
  put16(b, 4);          // block align
  put16(b, 16);         // bits per sample
  putId(b, "data");
  put32(b, dataBytes);
  for (uint32_t i = 0; i < frames; ++i) {
    put16(b, uint16_t(toSample(s.left[i])));
    put16(b, uint16_t(toSample(s.right[i])));
  }

  const std::filesystem::path out(argv[1]);
  std::error_code ec;
  if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), ec);
  std::ofstream file(out, std::ios::binary);
  file.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
