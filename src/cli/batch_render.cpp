#include "cli/batch_render.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "platform/message.h"

namespace korimu {

namespace {

namespace fs = std::filesystem;

std::string outputIn(const std::string& folder, const std::string& input, const char* extension) {
  return (fs::path(folder) / fs::path(input).stem()).string() + extension;
}

// One file's messages, printed under its name once it is done.
struct FileMessages {
  std::string text;
  bool fatal = false;

  // Messages that collect here; a fatal one fails this file, not the batch.
  Messages collector() {
    return Messages{[this](std::string_view line, MessageKind kind) {
                      text.append(line);
                      if (!line.ends_with('\n')) text.push_back('\n');
                      fatal = fatal || kind == MessageKind::kFatal;
                    },
                    [](int) {}};
  }
};

// Prints a file's messages after its name, one line each ("failed" when it has none).
void reportMessages(std::mutex& printing, const std::string& input, const std::string& messages) {
  const std::lock_guard lock(printing);
  std::string_view rest = messages;
  if (rest.empty()) rest = "failed\n";
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (line.starts_with("korimu: ")) line.remove_prefix(8);
    std::fprintf(stderr, "korimu: %s: %.*s\n", input.c_str(), int(line.size()), line.data());
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  std::fflush(stderr);
}

}  // namespace

bool namesFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && (path.back() == '/' || fs::is_directory(path, ec));
}

bool planBatch(const std::string& folder, const std::string& csvFolder,
               const std::vector<std::string>& files, std::vector<BatchItem>& items,
               std::string& error) {
  items.clear();
  std::map<std::string, std::string> writtenBy;
  for (const std::string& input : files) {
    BatchItem item{input, outputIn(folder, input, ".png"),
                   csvFolder.empty() ? std::string() : outputIn(csvFolder, input, ".csv")};
    for (const std::string& out : {item.png, item.csv}) {
      if (out.empty()) continue;
      const auto [it, fresh] = writtenBy.emplace(fs::path(out).lexically_normal().string(), input);
      if (!fresh) {
        // NOLINTNEXTLINE(performance-inefficient-string-concatenation): once, as the batch ends
        error = "'" + it->second + "' and '" + input + "' would both be written to '" + out + "'";
        return false;
      }
    }
    items.push_back(std::move(item));
  }
  return true;
}

int runBatchRender(const std::string& folder, const RenderOptions& options,
                   const std::vector<std::string>& files) {
  RenderSetup setup;
  if (!prepareRender(options, setup)) return 2;
  const RenderChoices& choices = setup.choices;
  if (!choices.csvPath.empty() && !namesFolder(choices.csvPath)) {
    std::fprintf(stderr,
                 "--csv: \"%s\" is not a folder; with several files each gets its own CSV, so "
                 "--csv names a folder (ending in /)\n",
                 choices.csvPath.c_str());
    return 2;
  }
  std::vector<BatchItem> items;
  std::string error;
  if (!planBatch(folder, choices.csvPath, files, items, error)) {
    std::fprintf(stderr, "korimu: %s\n", error.c_str());
    return 2;
  }
  std::vector<std::string> outputs;
  for (const BatchItem& item : items) outputs.insert(outputs.end(), {item.png, item.csv});
  const std::string input = outputThatIsAnInput(outputs, files);
  if (!input.empty()) {
    std::fprintf(stderr, "korimu: '%s' is a file to analyse; it is not written over\n",
                 input.c_str());
    return 2;
  }
  for (const std::string& dir : {folder, choices.csvPath}) {
    std::error_code ec;
    if (dir.empty() || fs::is_directory(dir, ec)) continue;
    if (!fs::create_directories(dir, ec) && !fs::is_directory(dir, ec)) {
      std::fprintf(stderr, "korimu: cannot create '%s': %s\n", dir.c_str(), ec.message().c_str());
      return 1;
    }
  }

  std::atomic<size_t> next{0};
  std::atomic<bool> anyFailed{false};
  std::mutex printing;
  auto work = [&] {
    for (size_t i = next++; i < items.size(); i = next++) {
      const BatchItem& item = items[i];
      FileMessages messages;
      const bool failed =
          renderFile(setup, item.input, item.png, item.csv, nullptr, messages.collector()) != 0;
      if (failed || messages.fatal || !messages.text.empty())
        reportMessages(printing, item.input, messages.text);
      if (failed || messages.fatal) anyFailed = true;
    }
  };
  const int jobs = std::clamp<int>(choices.jobs, 1, int(std::max<size_t>(items.size(), 1)));
  {
    std::vector<std::jthread> workers;
    for (int j = 1; j < jobs; ++j) workers.emplace_back(work);
    work();
  }  // the workers are joined here

  return anyFailed ? 1 : 0;
}

}  // namespace korimu
