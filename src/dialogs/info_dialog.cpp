#include "dialogs/info_dialog.h"

#include <QCoreApplication>
#include <QPushButton>
#include <memory>

#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_look.h"
#include "dialogs/static_text.h"
#include "dialogs/wave_info.h"

namespace korimu {

namespace {

constexpr int kLabelX = 8, kLabelW = 50, kValueX = 60, kValueW = 48, kHintX = 110, kHintW = 48;
constexpr int kRowH = 8;

// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding): a few rows, fields in reading order
struct InfoRow {
  int y;
  const char* label;
  int valueId;  // 0: the row has no value control of its own
  const char* valueText;
  int hintId;  // 0: the hint is a fixed text
  const char* hintText;
};

// Rows of the dialog, top to bottom, with their initial texts.
constexpr InfoRow kRows[] = {
    {7, "File Size", kInfoFileSize, "File Size", 0, nullptr},
    {17, "Riff ID", kInfoRiffId, "Riff ID", 0, nullptr},
    {27, "Riff Size", kInfoRiffSize, "Riff Size", 0, "FileSize-8"},
    {37, "Riff Type", kInfoRiffType, "Riff Type", 0, nullptr},
    {47, "Chunk ID", kInfoChunkId, "Chunk ID", 0, nullptr},
    {57, "Chunk Size", kInfoChunkSize, "Chunk Size", 0, nullptr},
    {67, "WaveFmtType", 0, nullptr, 0, nullptr},
    {77, "Channels", kInfoChannels, "Channels", 0, QT_TRANSLATE_NOOP("Dialog", "1:ﾓﾉ  2:ｽﾃﾚｵ")},
    {87, "SamplePerSec", kInfoSampleRate, "SamplePerSec", kInfoSamplePeriod, "SamplePerSec"},
    {97, "BytesPerSec", kInfoByteRate, "BytesPerSec", 0, "Samp*Block"},
    {107, "BlockSize", kInfoBlockAlign, "BlockSize", 0, "Ch * Bits / 8"},
    {117, "SamplingBits", kInfoBits, "SamplingBits", 0, nullptr},
    {127, "cbSize", kInfoExtraSize, "cbSize", 0, "PCM:0 AD:32"},
    {137, "Chunk ID", kInfoSecondId, "Chunk ID", kInfoThirdId, " "},
    {147, "Chunk Size", kInfoSecondSize, "Chunk Size", kInfoThirdSize, "RS-fCS-20"},
    {157, "Total Time", 0, nullptr, 0, nullptr},
};

// The rows of a decoded file's source, above the copy's header; then a row naming the copy. The
// short values stand beside the OK button, the longer ones below it.
constexpr InfoRow kSourceRows[] = {
    {7, "Container", kInfoSourceContainer, "", 0, nullptr},
    {17, "Channels", kInfoSourceChannels, "", 0, nullptr},
    {27, "Encoding", kInfoSourceEncoding, "", 0, nullptr},
    {37, "SampleRate", kInfoSourceRate, "", 0, nullptr},
    {47, "Frames", kInfoSourceFrames, "", 0, nullptr},
    {57, "Duration", kInfoSourceDuration, "", 0, nullptr},
};
constexpr int kSourceRowsHeight = 70;

void buildSourceRows(QDialog* dialog) {
  for (const InfoRow& row : kSourceRows) {
    addStaticText(dialog, 0, row.label, kLabelX, row.y, kLabelW, kRowH);
    const int width = row.y < 27 ? kValueW : 97;  // clear of the OK button
    addStaticText(dialog, row.valueId, row.valueText, kValueX, row.y, width, kRowH, true);
  }
  addStaticText(dialog, 0, "16bit WAV copy:", kLabelX, 67, 100, kRowH);
}

// The header rows, `top` dialog units further down.
void buildControls(QDialog* dialog, int top) {
  auto* ok = new QPushButton("OK", dialog);
  placeControl(ok, 1, 110, 7, 40, 14);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  for (const InfoRow& row : kRows) {
    addStaticText(dialog, 0, row.label, kLabelX, top + row.y, kLabelW, kRowH);
    if (row.valueId != 0) {
      addStaticText(dialog, row.valueId, row.valueText, kValueX, top + row.y, kValueW, kRowH, true);
    }
    if (row.hintText) {
      addStaticText(dialog, row.hintId, row.hintText, kHintX, top + row.y, kHintW, kRowH,
                    row.hintId != 0);
    }
  }
  addStaticText(dialog, kInfoFormatTag, "WaveFmtType", kValueX, top + 67, 15, kRowH, true);
  QLabel* name = addStaticText(dialog, kInfoTagName, "PCM:1", 78, top + 67, 78, kRowH, true);
  name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  addStaticText(dialog, kInfoTotalTime, "Total Time", kValueX, top + 157, 97, kRowH, true);
}

}  // namespace

QDialog* createInfoDialog(QWidget* parent, AppSettings& settings, const std::string& path,
                          const SourceFormat* decodedFrom) {
  auto* dialog = new QDialog(parent);
  dialog->setWindowTitle("Wave Information");
  applyDialogFont(dialog);
  const int top = decodedFrom ? kSourceRowsHeight : 0;
  const Rect frame = dialogUnitsToPixels(23, 13, 160, 170 + top);
  dialog->setFixedSize(frame.w, frame.h);
  if (parent) dialog->move(parent->mapToGlobal(QPoint(frame.x, frame.y)));
  buildControls(dialog, top);
  std::map<int, std::string> texts = readWaveInfo(path);
  if (decodedFrom) {
    buildSourceRows(dialog);
    texts.merge(sourceFormatTexts(*decodedFrom));
  }
  for (const auto& [id, text] : texts) {
    if (QLabel* label = dialogControl<QLabel>(dialog, id)) {
      // A value the reader words (不明 sec) is in the catalogue; numbers and names are not.
      label->setText(QCoreApplication::translate("Dialog", text.c_str()));
    }
  }
  installDialogLook(dialog, settings);
  widenToFitTexts(dialog, 4);
  return dialog;
}

void runInfoDialog(QWidget* parent, AppSettings& settings, const std::string& path,
                   const SourceFormat* decodedFrom) {
  std::unique_ptr<QDialog> dialog(createInfoDialog(parent, settings, path, decodedFrom));

  dialog->exec();
}

}  // namespace korimu
