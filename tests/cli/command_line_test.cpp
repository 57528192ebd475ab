#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_line_tokenizer.h"
#include "cli/render.h"
#include "core/settings.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

using Items = std::vector<std::string>;

TEST(Tokenizer, QuotedNameWithBlankAndPlaySwitch) {
  EXPECT_EQ(tokenizeCommandLine(R"(C:\KORIMU\KORIMU.EXE "C:\My Music\a b.wav" /p)"),
            (Items{R"(C:\KORIMU\KORIMU.EXE)", R"(C:\My Music\a b.wav)", "/p"}));
}

TEST(Tokenizer, UnquotedProgramPathSplitsAtItsBlank) {
  EXPECT_EQ(tokenizeCommandLine(R"(C:\Program Files\KORIMU.EXE a.wav)"),
            (Items{R"(C:\Program)", R"(Files\KORIMU.EXE a.wav)"}));
  EXPECT_EQ(tokenizeCommandLine(R"("C:\Program Files\KORIMU.EXE" a.wav)"),
            (Items{R"(C:\Program Files\KORIMU.EXE)", "a.wav"}));
}

TEST(Tokenizer, SwitchesKeepTheirSlashAndEndAtBlanks) {
  EXPECT_EQ(tokenizeCommandLine("KORIMU /d"), (Items{"KORIMU", "/d"}));
  EXPECT_EQ(tokenizeCommandLine("KORIMU /p/d"), (Items{"KORIMU", "/p", "/d"}));
  EXPECT_EQ(tokenizeCommandLine("KORIMU a.wav /p   b.wav"),
            (Items{"KORIMU", "a.wav", "/p", "b.wav"}));
  // An unquoted file name may hold blanks but not "/".
  EXPECT_EQ(tokenizeCommandLine("KORIMU my song.wav"), (Items{"KORIMU", "my song.wav"}));
  EXPECT_EQ(tokenizeCommandLine("KORIMU a/b.wav"), (Items{"KORIMU", "a", "/b.wav"}));
}

TEST(Tokenizer, EscapedQuotesStay) {
  EXPECT_EQ(tokenizeCommandLine(R"(KORIMU say\"hi\".wav)"), (Items{"KORIMU", R"(say"hi".wav)"}));
  EXPECT_EQ(tokenizeCommandLine(R"(KORIMU "a /b.wav")"), (Items{"KORIMU", "a /b.wav"}));
}

TEST(Tokenizer, FifteenItemsAtMost) {
  std::string text = "KORIMU";
  for (int i = 0; i < 20; ++i) text += " /x";
  const Items items = tokenizeCommandLine(text);
  ASSERT_EQ(items.size(), 15u);
  EXPECT_EQ(items[0], "KORIMU");
  EXPECT_EQ(items[14], "/x");
}

TEST(Tokenizer, TrailingBlanksAddNothing) {
  EXPECT_EQ(tokenizeCommandLine("KORIMU /p   "), (Items{"KORIMU", "/p"}));
  EXPECT_EQ(tokenizeCommandLine("KORIMU"), (Items{"KORIMU"}));
  EXPECT_EQ(tokenizeCommandLine(""), (Items{""}));
}

CommandLine parse(Items args) {
  args.insert(args.begin(), "korimu");
  return parseArguments(args);
}

TEST(Arguments, SwitchesInEverySpelling) {
  for (const char* s : {"/P", "/p", "-p", "--play"}) {
    const CommandLine c = parse({s, "a.wav"});
    EXPECT_TRUE(c.autoPlay) << s;
    EXPECT_FALSE(c.diagnosticText) << s;
    EXPECT_EQ(c.fileName, "a.wav");
    EXPECT_EQ(c.mode, HeadlessMode::kNone);
  }
  for (const char* s : {"/D", "/d", "-d", "--diagnostic"}) {
    const CommandLine c = parse({s});
    EXPECT_TRUE(c.diagnosticText) << s;
    EXPECT_FALSE(c.autoPlay) << s;
    EXPECT_EQ(c.fileName, "");
  }
}

TEST(Arguments, LastFileNameWinsAndPathsAreNotSwitches) {
  const CommandLine c = parse({"/home/me/a.wav", "-p", "/tmp/My Music/b.wav"});
  EXPECT_EQ(c.fileName, "/tmp/My Music/b.wav");
  EXPECT_TRUE(c.autoPlay);
  EXPECT_EQ(parse({"--", "-p"}).fileName, "-p");
  EXPECT_EQ(parse({"/pets.wav"}).fileName, "/pets.wav");
}

TEST(Arguments, UnknownOptionsAreUsageErrors) {
  const CommandLine c = parse({"-x", "a.wav"});
  EXPECT_EQ(c.mode, HeadlessMode::kUsageError);
  EXPECT_NE(c.error.find("-x"), std::string::npos);
  EXPECT_EQ(parse({"--check"}).mode, HeadlessMode::kUsageError);
  EXPECT_EQ(parse({"--render", "out.png"}).mode, HeadlessMode::kUsageError);
  EXPECT_EQ(parse({"--render", "out.png", "a.wav", "--view"}).mode, HeadlessMode::kUsageError);
}

// --screenshot --readout X,Y names a pixel inside the 512 x 256 plot; anything else is a usage
// error that says what to give, and --readout belongs to --screenshot alone.
TEST(Arguments, ScreenshotReadoutPoint) {
  const struct {
    const char* value;
    std::optional<PlotPoint> point;
  } rows[] = {
      {"0,0", PlotPoint{0, 0}},
      {"511,255", PlotPoint{511, 255}},
      {"200,100", PlotPoint{200, 100}},
      {"512,0", std::nullopt},
      {"0,256", std::nullopt},
      {"-1,5", std::nullopt},
      {"5", std::nullopt},
      {"5;6", std::nullopt},
      {"5,6,", std::nullopt},
      {"x,y", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    const CommandLine c = parse({"--screenshot", "s.png", "--readout", row.value, "a.wav"});
    if (row.point) {
      EXPECT_EQ(c.mode, HeadlessMode::kScreenshot);
      EXPECT_EQ(c.readoutAt, row.point);
      EXPECT_EQ(c.fileName, "a.wav");
    } else {
      EXPECT_EQ(c.mode, HeadlessMode::kUsageError);
      EXPECT_NE(c.error.find("512 x 256"), std::string::npos) << c.error;
    }
  }
  EXPECT_FALSE(parse({"--screenshot", "s.png", "a.wav"}).readoutAt.has_value());
  EXPECT_EQ(parse({"--screenshot", "s.png", "--readout"}).mode, HeadlessMode::kUsageError);
  EXPECT_EQ(parse({"--readout", "1,2", "a.wav"}).mode, HeadlessMode::kUsageError);
}

TEST(Arguments, HeadlessCommands) {
  EXPECT_EQ(parse({"--help"}).mode, HeadlessMode::kHelp);
  EXPECT_EQ(parse({"a.wav", "--version"}).mode, HeadlessMode::kVersion);
  const CommandLine check = parse({"--check", "x.wav"});
  EXPECT_EQ(check.mode, HeadlessMode::kCheck);
  EXPECT_EQ(check.fileName, "x.wav");
  const CommandLine shot = parse({"--screenshot", "s.png", "a.wav"});
  EXPECT_EQ(shot.mode, HeadlessMode::kScreenshot);
  EXPECT_EQ(shot.outputPath, "s.png");
  EXPECT_EQ(shot.fileName, "a.wav");
  const CommandLine render =
      parse({"--render", "r.png", "--view", "chart", "--method", "mem", "d.wav"});
  EXPECT_EQ(render.mode, HeadlessMode::kRender);
  EXPECT_EQ(render.outputPath, "r.png");
  EXPECT_EQ(render.fileName, "d.wav");
  using Option = std::pair<std::string, std::string>;
  EXPECT_EQ(render.renderOptions, (std::vector<Option>{{"view", "chart"}, {"method", "mem"}}));
  // --csv beside the picture, or alone (a render without a PNG), in either order.
  for (const auto& args : {std::vector<std::string>{"--render", "r.png", "--csv", "-", "d.wav"},
                           std::vector<std::string>{"--csv", "-", "--render", "r.png", "d.wav"},
                           std::vector<std::string>{"--csv", "-", "d.wav"}}) {
    const CommandLine both = parse(args);
    EXPECT_EQ(both.mode, HeadlessMode::kRender);
    EXPECT_EQ(both.outputPath, args.size() == 3 ? "" : "r.png");
    EXPECT_EQ(both.renderOptions, (std::vector<Option>{{"csv", "-"}}));
  }
  EXPECT_NE(usageText().find("--check"), std::string::npos);
}

// --lang chooses the window's language, ja or en, for the window and its screenshot; anything
// else, or a headless command (which speaks English), is a usage error that says why.
TEST(Arguments, LangTakesJaOrEnForTheWindow) {
  EXPECT_FALSE(parse({"a.wav"}).language);
  EXPECT_EQ(parse({"--lang", "en", "a.wav"}).language, Language::kEnglish);
  const CommandLine shot = parse({"--screenshot", "s.png", "--lang", "ja"});
  EXPECT_EQ(shot.mode, HeadlessMode::kScreenshot);
  EXPECT_EQ(shot.language, Language::kJapanese);
  const struct {
    std::vector<std::string> args;
    const char* error;
  } refused[] = {
      {{"--lang"}, "--lang needs a language: ja or en"},
      {{"--lang", "EN"}, "'EN' is not a language of the window; use ja or en"},
      {{"--lang", "english", "a.wav"}, "'english' is not a language of the window"},
      {{"--lang", "", "a.wav"}, "'' is not a language of the window"},
      {{"--lang", "en", "--check", "a.wav"}, "--lang chooses the window's language"},
      {{"--render", "o.png", "--lang", "en", "a.wav"}, "--lang chooses the window's language"},
  };
  for (const auto& row : refused) {
    const CommandLine c = parse(row.args);
    EXPECT_EQ(c.mode, HeadlessMode::kUsageError) << row.args.back();
    EXPECT_NE(c.error.find(row.error), std::string::npos) << c.error;
  }
}

// The options of --render and --csv come in any order around the command that takes them; one
// that needs another, or a command, says which.
TEST(Arguments, RenderOptionsInAnyOrder) {
  using Option = std::pair<std::string, std::string>;
  struct Row {
    std::vector<std::string> args;
    std::vector<Option> options;  // when it parses
    const char* error;            // else what the usage error says
  };
  const Row rows[] = {
      {{"--csv-values", "db", "--csv", "x.csv", "f.wav"},
       {{"csv-values", "db"}, {"csv", "x.csv"}},
       nullptr},
      {{"--csv", "x.csv", "--csv-values", "power", "f.wav"},
       {{"csv", "x.csv"}, {"csv-values", "power"}},
       nullptr},
      {{"--view", "chart", "--pink", "--render", "o.png", "--csv", "x.csv", "f.wav"},
       {{"view", "chart"}, {"pink", ""}, {"csv", "x.csv"}},
       nullptr},
      {{"--render", "o.png", "--csv-values", "db", "f.wav"}, {}, "--csv-values needs --csv"},
      {{"--csv-values", "db", "--render", "o.png", "f.wav"}, {}, "--csv-values needs --csv"},
      {{"--csv-values", "db", "f.wav"}, {}, "--csv-values is an option of --render and --csv"},
      {{"--span", "whole", "--check", "f.wav"}, {}, "--span is an option of --render and --csv"},
      {{"--bogus", "--csv", "x.csv", "f.wav"}, {}, "unknown option: --bogus"},
  };
  for (const Row& row : rows) {
    const CommandLine c = parse(row.args);
    SCOPED_TRACE(row.args.front() + " " + row.args[1]);
    if (row.error) {
      EXPECT_EQ(c.mode, HeadlessMode::kUsageError);
      EXPECT_NE(c.error.find(row.error), std::string::npos) << c.error;
    } else {
      EXPECT_EQ(c.mode, HeadlessMode::kRender) << c.error;
      EXPECT_EQ(c.renderOptions, row.options);
      EXPECT_EQ(c.fileName, "f.wav");
    }
  }
}

// --help names the folders this environment gives the program, not fixed defaults.
TEST(Usage, NamesTheSettingsFileAndTheCacheOfTheEnvironment) {
  testing::TempDir dir;
  std::vector<std::pair<const char*, std::optional<std::string>>> saved;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
    const char* old = getenv(name);
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    setenv(name, (dir.path() / name).c_str(), 1);
  }
  const std::string text = usageText();
  for (const auto& [name, old] : saved) old ? setenv(name, old->c_str(), 1) : unsetenv(name);
  const std::string config = (dir.path() / "XDG_CONFIG_HOME" / "korimu" / "KORIMU.INI").string();
  const std::string cache = (dir.path() / "XDG_CACHE_HOME" / "korimu" / "decoded").string();
  EXPECT_NE(text.find("  settings                " + config + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  decoded copies          " + cache + " (at most 2 GB"), std::string::npos)
      << text;
}

// Each entry of --help's render options as its line shows it: a switch ("--thick", "--line,
// --bar") takes nothing after it, so the file name that follows stays the file, and the renderer
// knows it as given; an option shown with a value word ("--gain 0..3") takes the next item.
TEST(Usage, EveryRenderOptionParsesAsItsHelpLineShows) {
  const std::string text = usageText();
  const size_t begin = text.find("Options of --render");
  const size_t end = text.find("\n\n", begin);
  ASSERT_NE(begin, std::string::npos);
  std::istringstream lines(text.substr(begin, end - begin));
  int switches = 0, valued = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  --", 0) != 0) continue;
    // The entry is what comes before the description's column of blanks.
    std::string entry = line.substr(2, line.find("  ", 2) - 2);
    const bool takesValue =
        entry.find(' ') != std::string::npos && entry.find(", ") == std::string::npos;
    std::vector<std::string> spellings;
    if (takesValue) {
      spellings.push_back(entry.substr(0, entry.find(' ')));
    } else {
      for (size_t at = 0; at != std::string::npos;) {
        const size_t comma = entry.find(", ", at);
        spellings.push_back(entry.substr(at, comma - at));
        at = comma == std::string::npos ? comma : comma + 2;
      }
    }
    for (const std::string& spelling : spellings) {
      SCOPED_TRACE(line);
      ASSERT_EQ(spelling.rfind("--", 0), 0u) << spelling;
      const std::string name = spelling.substr(2);
      Items args = {"--render", "r.png"};
      // What the cells of the table hold needs the table.
      if (name == "csv-values") args.insert(args.end(), {"--csv", "n.csv"});
      args.push_back(spelling);
      if (takesValue) args.push_back("7");
      args.push_back("d.wav");
      const CommandLine c = parse(args);
      ASSERT_EQ(c.mode, HeadlessMode::kRender) << c.error;
      EXPECT_EQ(c.fileName, "d.wav");
      ASSERT_FALSE(c.renderOptions.empty());
      EXPECT_EQ(c.renderOptions.back().first, name);
      EXPECT_EQ(c.renderOptions.back().second, takesValue ? "7" : "");
      if (!takesValue) {
        AppSettings settings;
        RenderChoices choices;
        std::string error;
        EXPECT_TRUE(applyRenderOptions(c.renderOptions, settings, choices, error)) << error;
      }
      ++(takesValue ? valued : switches);
    }
  }
  // The section was read: its switches and its options with values.
  EXPECT_GE(switches, 9);
  EXPECT_GE(valued, 14);
}

TEST(Check, GoodFileGivesOneLine) {
  testing::TempDir dir;
  testing::FormatFields f;
  f.channels = 1;
  f.bits = 8;
  f.rate = 8000;
  const std::string file = dir.write("a.wav", testing::simpleWave(f, 8000));
  ::testing::internal::CaptureStdout();
  const int code = runCheck(file);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out,
            "OK 8kHz 8bit MONO dataSize=8000 blockAlign=1 bytesPerSecond=8000 readMode=2 "
            "bufferBytes=2048\n");
}

TEST(Check, BrokenFileGivesTheReadersMessage) {
  testing::TempDir dir;
  testing::FormatFields f;
  f.tag = 3;
  const std::string file = dir.write("float.wav", testing::simpleWave(f, 64));
  ::testing::internal::CaptureStderr();
  const int code = runCheck(file);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_EQ(err, "指定したファイルは、PCMファイルではありません。\nkorimu: cannot open '" + file +
                     "': not a PCM file (format tag 3)\n");
}

// A file cut short checks as what is there, and stderr says how much of the claimed data that is.
TEST(Check, AFileCutShortSaysHowMuchIsThere) {
  testing::TempDir dir;
  testing::ByteWriter chunks;
  chunks.chunk("fmt ", testing::fmtData({}));
  chunks.id("data").u32(1764000).raw(std::vector<uint8_t>(99956, 0));
  const std::string file = dir.write("cut.wav", testing::riffWave(chunks.bytes()));
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int code = runCheck(file);
  const std::string err = ::testing::internal::GetCapturedStderr();
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out.rfind("OK 44kHz 16bit STEREO dataSize=99956 ", 0), 0u) << out;
  EXPECT_EQ(err, "korimu: '" + file +
                     "' is shorter than its header claims: 99956 of 1764000 data bytes (0.57 s) "
                     "are there\n");
}

}  // namespace
}  // namespace korimu
