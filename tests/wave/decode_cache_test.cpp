// The cache of decoded copies as a hostile or careless neighbour would meet it: it removes only its
// own files, keeps its copies in a folder that is the user's alone, never follows a link, cleans
// up after killed decodes, and trusts a copy only when it is the source's as it is now.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "wave/decode_cache.h"
#include "wave/decoded_copy.h"
#include "wave/sndfile_writer.h"
#include "wave/source_opening.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;
using testing::multiTone16;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;
using testing::writeSndfile;

constexpr uid_t kNobody = 65534;

struct Quiet : DecodeProgress {};

// The samples a copy holds, as its header counts them.
std::vector<int16_t> copySamples(const fs::path& copy) {
  const std::vector<uint8_t> bytes = readFile(copy);
  std::vector<int16_t> samples;
  if (bytes.size() < 44) return samples;
  const size_t end = std::min<size_t>(bytes.size(), 44 + testing::le32(bytes, 40));
  for (size_t i = 44; i + 1 < end; i += 2) samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
  return samples;
}

std::vector<int16_t> negated(std::vector<int16_t> samples) {
  for (int16_t& s : samples) s = int16_t(-s);
  return samples;
}

void age(const fs::path& file, std::chrono::seconds by) {
  fs::last_write_time(file, fs::file_time_type::clock::now() - by);
}

// Sets an environment variable for the scope, or unsets it (nullopt).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = getenv(name)) saved_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

class DecodeCacheTest : public ::testing::Test {
 protected:
  fs::path folder() const { return dir_.path() / "cache"; }
  DecodeCache cache(uint64_t limit = uint64_t(2) << 30) const { return {folder(), limit}; }
  std::string flac(const std::string& name, const std::vector<int16_t>& samples) const {
    const std::string path = (dir_.path() / name).string();
    EXPECT_TRUE(writeSndfile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, samples));
    return path;
  }
  DecodeResult decode(const std::string& path, const DecodeCache& into) const {
    Quiet quiet;
    return decodedCopy(path, into, quiet);
  }
  DecodeResult decode(const std::string& path) const { return decode(path, cache()); }
  TempDir dir_;
};

// Files in the folder that KORIMU did not make, or another user's, survive any trim.
TEST_F(DecodeCacheTest, TrimRemovesOnlyItsOwnFiles) {
  DecodeResult ours = decode(flac("a.flac", multiTone16(8000, 1, 0.5)));
  ASSERT_EQ(ours.status, DecodeStatus::kDecoded) << ours.failure;
  ours.hold.reset();  // no longer in use
  const std::vector<uint8_t> bytes(70000, 7);
  const fs::path usersTake = writeFile(folder() / "my-take-1.wav", bytes);
  const fs::path usersNotes = writeFile(folder() / "notes.txt", bytes);
  const fs::path othersCopy = writeFile(folder() / "0123456789abcdef.wav", bytes);
  // Names one character away from a copy's or a part's.
  std::vector<fs::path> nearMisses;
  for (const char* name : {"0123456789abcde.wav", "0123456789abcdef0.wav", "0123456789abcdeF.wav",
                           "0123456789abcdeg.wav", "0123456789abcdef.WAV", "0123456789abcdef.wa",
                           "0123456789abcdef.wav~", "0123456789abcdef_wav", ".part-Kil1e",
                           ".part-Kil1ed7", ".part-Kil_ed", ".Part-Kil1ed", "_part-Kil1ed"})
    nearMisses.push_back(writeFile(folder() / name, bytes));
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(othersCopy.c_str(), kNobody, kNobody), 0);
  }
  for (const fs::path& f : {usersTake, usersNotes, othersCopy}) age(f, std::chrono::minutes(600));
  for (const fs::path& f : nearMisses) age(f, std::chrono::minutes(600));

  trimCache(folder(), 1, folder() / "none.wav");
  EXPECT_FALSE(fs::exists(ours.copy));
  EXPECT_EQ(readFile(usersTake), bytes);
  EXPECT_EQ(readFile(usersNotes), bytes);
  for (const fs::path& f : nearMisses) EXPECT_EQ(readFile(f), bytes) << f;
  if (!root) GTEST_SKIP() << "not root: cannot give a file to the user nobody";
  EXPECT_EQ(readFile(othersCopy), bytes);
}

struct UnsafeFolder {
  const char* name;
  const char* fault;  // what the refusal says
  bool needsRoot;
  void (*make)(const fs::path& folder, const fs::path& recordings);
};
// Printed as its name: ctest's test names carry the parameter, and a name can be run again.
void PrintTo(const UnsafeFolder& c, std::ostream* out) {
  *out << c.name;
}

class UnsafeFolders : public DecodeCacheTest, public ::testing::WithParamInterface<UnsafeFolder> {};

// A copies' folder that another user could have made or could change is refused, saying why, and
// nothing is written into it or through it.
TEST_P(UnsafeFolders, AreRefusedWithTheReason) {
  const UnsafeFolder& row = GetParam();
  if (row.needsRoot && ::geteuid() != 0)
    GTEST_SKIP() << "not root: cannot give a folder to the user nobody";
  const fs::path recordings = dir_.path() / "recordings";
  const std::vector<uint8_t> session(5000, 3);
  fs::create_directories(recordings);
  writeFile(recordings / "session-2019.wav", session);
  fs::create_directories(folder().parent_path());
  row.make(folder(), recordings);

  const DecodeResult r = decode(flac("a.flac", multiTone16(8000, 1, 0.5)), cache(1));
  EXPECT_EQ(r.status, DecodeStatus::kUnwritable);
  EXPECT_NE(r.failure.find(row.fault), std::string::npos) << r.failure;
  EXPECT_EQ(readFile(recordings / "session-2019.wav"), session);
  EXPECT_EQ(std::distance(fs::directory_iterator(recordings), {}), 1);
  for (const fs::directory_entry& e : fs::directory_iterator(folder()))
    EXPECT_EQ(e.path().filename(), "session-2019.wav");  // seen through the link
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnsafeFolders,
    ::testing::Values(UnsafeFolder{"SymbolicLink", "is a symbolic link", false,
                                   [](const fs::path& f, const fs::path& rec) {
                                     fs::create_directory_symlink(rec, f);
                                   }},
                      UnsafeFolder{"WritableByOthers", "others can write to", false,
                                   [](const fs::path& f, const fs::path&) {
                                     fs::create_directory(f);
                                     fs::permissions(f, fs::perms::all);
                                   }},
                      UnsafeFolder{"WritableByItsGroup", "others can write to", false,
                                   [](const fs::path& f, const fs::path&) {
                                     fs::create_directory(f);
                                     fs::permissions(f, fs::perms(0770));
                                   }},
                      UnsafeFolder{"InAFolderItsGroupCanWrite", "others can write to", false,
                                   [](const fs::path& f, const fs::path&) {
                                     fs::create_directory(f);
                                     fs::permissions(f.parent_path(), fs::perms(0730));
                                   }},
                      UnsafeFolder{"AnotherUsers", "belongs to another user", true,
                                   [](const fs::path& f, const fs::path&) {
                                     fs::create_directory(f);
                                     ASSERT_EQ(::chown(f.c_str(), kNobody, kNobody), 0);
                                   }},
                      UnsafeFolder{"InAnotherUsersFolder", "belongs to another user", true,
                                   [](const fs::path& f, const fs::path&) {
                                     fs::create_directories(f);
                                     ASSERT_EQ(::chown(f.parent_path().c_str(), kNobody, kNobody),
                                               0);
                                   }}),
    [](const auto& info) { return std::string(info.param.name); });

// The folders a decode makes are the user's alone; a relative XDG_CACHE_HOME counts as unset (it
// would follow the current folder), and so does a relative HOME.
TEST_F(DecodeCacheTest, FoldersArePrivateAndNeverRelative) {
  const fs::path nested = dir_.path() / "fresh" / "korimu" / "decoded";
  const DecodeResult r = decode(flac("a.flac", multiTone16(8000, 1, 0.5)), {nested, 1 << 30});
  ASSERT_EQ(r.status, DecodeStatus::kDecoded) << r.failure;
  for (const fs::path& made : {nested, nested.parent_path(), nested.parent_path().parent_path()})
    EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;

  const ScopedVariable home("HOME", dir_.path().string());
  {
    const ScopedVariable xdg("XDG_CACHE_HOME", std::string("relative/cache"));
    EXPECT_EQ(defaultDecodeCache().folder, dir_.path() / ".cache" / "korimu" / "decoded");
  }
  const ScopedVariable noXdg("XDG_CACHE_HOME", std::nullopt);
  const ScopedVariable relativeHome("HOME", std::string("."));
  const fs::path folder = defaultDecodeCache().folder;
  EXPECT_TRUE(folder.empty() || folder.is_absolute()) << folder;
}

// A link in a copy's place is neither analysed nor touched: the source is decoded again and the
// link replaced by the copy.
TEST_F(DecodeCacheTest, ALinkInACopysPlaceIsNotFollowed) {
  const std::vector<int16_t> samples = multiTone16(8000, 1, 0.5);
  const std::string a = flac("a.flac", samples);
  const DecodeResult first = decode(a);
  const DecodeResult other = decode(flac("b.flac", negated(samples)));
  ASSERT_EQ(first.status, DecodeStatus::kDecoded) << first.failure;
  ASSERT_EQ(other.status, DecodeStatus::kDecoded) << other.failure;
  age(other.copy, std::chrono::minutes(60));
  const fs::file_time_type otherTime = fs::last_write_time(other.copy);
  fs::remove(first.copy);
  fs::create_symlink(other.copy, first.copy);

  const DecodeResult again = decode(a);
  EXPECT_EQ(again.status, DecodeStatus::kDecoded);
  EXPECT_FALSE(fs::is_symlink(again.copy));
  EXPECT_EQ(copySamples(again.copy), samples);
  EXPECT_EQ(fs::last_write_time(other.copy), otherTime);
  EXPECT_EQ(copySamples(other.copy), negated(samples));
}

// The part file of a decode that was killed is removed by the next decode, and counted until then;
// the part of a decode still running (it holds the file's lock) stays, and counts.
TEST_F(DecodeCacheTest, LeftOverPartsAreRemovedAndCounted) {
  DecodeResult old = decode(flac("a.flac", multiTone16(8000, 1, 1.0)));
  ASSERT_EQ(old.status, DecodeStatus::kDecoded) << old.failure;
  old.hold.reset();
  age(old.copy, std::chrono::minutes(60));
  const fs::path left = writeFile(folder() / ".part-Kil1ed", std::vector<uint8_t>(50000, 1));
  age(left, std::chrono::minutes(120));
  const fs::path running = writeFile(folder() / ".part-Runs01", std::vector<uint8_t>(40000, 2));
  age(running, std::chrono::minutes(120));
  const int held = ::open(running.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  // Either side of the minute a part may go unwritten before it counts as left over.
  const fs::path quiet = writeFile(folder() / ".part-Quiet1", std::vector<uint8_t>(10, 3));
  age(quiet, std::chrono::seconds(45));
  const fs::path stale = writeFile(folder() / ".part-Stale1", std::vector<uint8_t>(10, 4));
  age(stale, std::chrono::seconds(75));

  // Room for the new copy and the running part, not for the old copy besides.
  const uint64_t copyBytes = fs::file_size(old.copy);
  const DecodeResult fresh =
      decode(flac("b.flac", multiTone16(8000, 1, 1.0)), cache(copyBytes + 40000 + copyBytes / 2));
  ::close(held);
  ASSERT_EQ(fresh.status, DecodeStatus::kDecoded) << fresh.failure;
  EXPECT_FALSE(fs::exists(left));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(quiet));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_FALSE(fs::exists(old.copy));
  EXPECT_TRUE(fs::exists(fresh.copy));
}

// A decode that is still running keeps its part, however long ago the part was last written (a
// slow source): a trim meanwhile, here the one another decode makes, leaves it to its decode,
// which then ends with a whole copy.
TEST_F(DecodeCacheTest, ATrimDuringADecodeLeavesItsAgedPartAlone) {
  struct Paused : DecodeProgress {
    std::mutex mutex;
    std::condition_variable changed;
    bool writing = false, resume = false;
    bool cancelled() override {
      std::unique_lock lock(mutex);
      if (!writing) {
        writing = true;
        changed.notify_all();
        changed.wait(lock, [this] { return resume; });
      }
      return false;
    }
  } paused;
  const std::vector<int16_t> samples = multiTone16(8000, 1, 1.0);
  const std::string slow = flac("slow.flac", samples);
  DecodeResult result;
  std::thread decoding([&] { result = decodedCopy(slow, cache(), paused); });
  const auto resumeAndWait = [&] {
    {
      const std::lock_guard lock(paused.mutex);
      paused.resume = true;
    }
    paused.changed.notify_all();
    if (decoding.joinable()) decoding.join();
  };
  // A failed assertion below still lets the decode end.
  const std::unique_ptr<void, std::function<void(void*)>> ending(&paused,
                                                                 [&](void*) { resumeAndWait(); });
  {
    std::unique_lock lock(paused.mutex);
    ASSERT_TRUE(
        paused.changed.wait_for(lock, std::chrono::minutes(1), [&] { return paused.writing; }));
  }
  std::vector<fs::path> parts;
  for (const fs::directory_entry& e : fs::directory_iterator(folder()))
    if (isPartName(e.path().filename().string())) parts.push_back(e.path());
  ASSERT_EQ(parts.size(), 1u);
  age(parts[0], std::chrono::minutes(120));

  const DecodeResult other = decode(flac("other.flac", multiTone16(8000, 1, 0.5)), cache(1));
  EXPECT_EQ(other.status, DecodeStatus::kDecoded) << other.failure;
  EXPECT_TRUE(fs::exists(parts[0]));
  resumeAndWait();
  ASSERT_EQ(result.status, DecodeStatus::kDecoded) << result.failure;
  EXPECT_EQ(copySamples(result.copy), samples);
  EXPECT_FALSE(fs::exists(parts[0]));
}

// A source rewritten with the same size and its time put back, and a copy whose samples were
// overwritten behind an intact header, are both decoded again.
TEST_F(DecodeCacheTest, StaleAndDamagedCopiesAreDecodedAgain) {
  const std::vector<int16_t> before = multiTone16(8000, 2, 0.5), after = negated(before);
  const std::string path = (dir_.path() / "take.wav").string();
  ASSERT_TRUE(writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 8000, 2, before));
  const DecodeResult first = decode(path);
  ASSERT_EQ(first.status, DecodeStatus::kDecoded) << first.failure;
  const uintmax_t size = fs::file_size(path);
  const fs::file_time_type time = fs::last_write_time(path);
  ASSERT_TRUE(writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 8000, 2, after));
  ASSERT_EQ(fs::file_size(path), size);
  fs::last_write_time(path, time);

  const DecodeResult rewritten = decode(path);
  EXPECT_EQ(rewritten.status, DecodeStatus::kDecoded);
  EXPECT_EQ(copySamples(rewritten.copy), after);

  const std::vector<uint8_t> whole = readFile(rewritten.copy);
  std::vector<uint8_t> damaged = whole;
  for (size_t i = 1000; i < 1100; ++i) damaged[i] = 0;
  writeFile(rewritten.copy, damaged);
  const DecodeResult repaired = decode(path);
  EXPECT_EQ(repaired.status, DecodeStatus::kDecoded);
  EXPECT_EQ(readFile(repaired.copy), whole);
  EXPECT_EQ(decode(path).status, DecodeStatus::kCached);
}

// Runs `work` in a second process (a fork of this one, with descriptors and locks of its own for
// all it opens) and returns its exit status.
int inSecondProcess(const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(work());
  int status = -1;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

struct TrustCase {
  const char* name;
  // Gets in the way of the held copy of "a.flac"; `stranger` is another source ("b.flac").
  void (*meddle)(DecodeCacheTest& test, const DecodeResult& held, const fs::path& stranger);
  bool nameStillHoldsIt;  // the copy's name still leads to the copy afterwards
};
// Printed as its name: ctest's test names carry the parameter, and a name can be run again.
void PrintTo(const TrustCase& c, std::ostream* out) {
  *out << c.name;
}

class CacheTrust : public DecodeCacheTest, public ::testing::WithParamInterface<TrustCase> {
 public:
  using DecodeCacheTest::cache;
  using DecodeCacheTest::decode;
  using DecodeCacheTest::flac;
  using DecodeCacheTest::folder;
};

// A copy in use is read as it was verified, whatever another process's trim or a file put at its
// name does meanwhile: a trim in a second process passes over it, and a name swapped for a link
// or another file is not what is read.
TEST_P(CacheTrust, ACopyInUseIsReadAsVerified) {
  const TrustCase& row = GetParam();
  const std::vector<int16_t> samples = multiTone16(8000, 1, 0.5);
  const std::string a = flac("a.flac", samples);
  const DecodeResult first = decode(a);
  ASSERT_EQ(first.status, DecodeStatus::kDecoded) << first.failure;
  // The cached copy is held as well as the fresh one.
  const DecodeResult held = decode(a);
  ASSERT_EQ(held.status, DecodeStatus::kCached);
  ASSERT_NE(held.hold, nullptr);
  age(held.copy, std::chrono::minutes(60));
  const fs::path stranger = flac("b.flac", negated(samples));
  row.meddle(*this, held, stranger);

  EXPECT_EQ(copySamples(held.hold->readPath()), samples);
  // The open that follows the decode, and every later one, reads what was verified.
  WaveSession wave;
  const SourceOpenResult opened =
      openDecodedSource(wave, WaveOpenRequest{a, 0, false}, AppSettings{}, WaveOpenResult{}, held);
  closeWave(wave, true);
  EXPECT_TRUE(opened.wave.opened) << opened.wave.failure;
  EXPECT_EQ(copySamples(opened.decodedCopy), samples);
  if (row.nameStillHoldsIt) {
    EXPECT_EQ(copySamples(held.copy), samples);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Meddlers, CacheTrust,
    ::testing::Values(TrustCase{"AnotherProcessTrims",
                                [](DecodeCacheTest& t, const DecodeResult&, const fs::path& b) {
                                  auto& test = static_cast<CacheTrust&>(t);
                                  // A decode there that pushes the cache past its limit.
                                  EXPECT_EQ(
                                      inSecondProcess([&] {
                                        return test.decode(b.string(), test.cache(1)).status ==
                                                       DecodeStatus::kDecoded
                                                   ? 0
                                                   : 1;
                                      }),
                                      0);
                                },
                                true},
                      TrustCase{
                          "ALinkReplacesItsName",
                          [](DecodeCacheTest& t, const DecodeResult& held, const fs::path& b) {
                            auto& test = static_cast<CacheTrust&>(t);
                            const DecodeResult other = test.decode(b.string());
                            ASSERT_EQ(other.status, DecodeStatus::kDecoded);
                            fs::remove(held.copy);
                            fs::create_symlink(other.copy, held.copy);
                          },
                          false},
                      TrustCase{"AnotherFileReplacesIt",
                                [](DecodeCacheTest&, const DecodeResult& held, const fs::path&) {
                                  std::vector<uint8_t> other = readFile(held.copy);
                                  for (size_t i = 44; i + 16 < other.size(); ++i) other[i] ^= 0x55;
                                  const fs::path beside = held.copy.string() + ".new";
                                  writeFile(beside, other);
                                  fs::rename(beside, held.copy);
                                },
                                false}),
    [](const auto& info) { return std::string(info.param.name); });

// Once nothing holds a copy, a trim elsewhere may take it; another user's file at a copy's name is
// neither read nor replaced, and a copies folder open to others is made private.
TEST_F(DecodeCacheTest, UnheldCopiesGoAndStrangersStay) {
  const std::vector<int16_t> samples = multiTone16(8000, 1, 0.5);
  const std::string a = flac("a.flac", samples), b = flac("b.flac", negated(samples));
  DecodeResult first = decode(a);
  ASSERT_EQ(first.status, DecodeStatus::kDecoded) << first.failure;
  first.hold.reset();
  age(first.copy, std::chrono::minutes(60));
  EXPECT_EQ(
      inSecondProcess([&] { return decode(b, cache(1)).status == DecodeStatus::kDecoded ? 0 : 1; }),
      0);
  EXPECT_FALSE(fs::exists(first.copy));

  fs::permissions(folder(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
  const DecodeResult again = decode(a);
  ASSERT_EQ(again.status, DecodeStatus::kDecoded) << again.failure;
  EXPECT_EQ(fs::status(folder()).permissions() & fs::perms::all, fs::perms::owner_all);

  if (::geteuid() != 0) GTEST_SKIP() << "not root: cannot give a file to the user nobody";
  const fs::path copy = again.copy;
  const std::vector<uint8_t> strangers = readFile(copy);
  ASSERT_EQ(::chown(copy.c_str(), kNobody, kNobody), 0);
  const DecodeResult refused = decode(a);
  EXPECT_EQ(refused.status, DecodeStatus::kUnwritable);
  EXPECT_NE(refused.failure.find("belongs to another user"), std::string::npos) << refused.failure;
  struct stat st {};
  ASSERT_EQ(::lstat(copy.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(readFile(copy), strangers);
}

}  // namespace
}  // namespace korimu
