// The English catalogue against the sources as they are now: lupdate, run over every source
// file into a copy of the catalogue, finds no text without a finished English translation, and
// every translation keeps its source's placeholders (printf conversions in order, Qt's %1..%n as a
// set) and shows no Japanese.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Message {
  QString context, source, translation;
  bool finished = false;
};

std::vector<Message> readCatalogue(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  QXmlStreamReader xml(&file);
  std::vector<Message> messages;
  QString context;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"context") {
      context.clear();
    } else if (xml.name() == u"name") {
      context = xml.readElementText();
    } else if (xml.name() == u"message") {
      messages.push_back({context, {}, {}, false});
    } else if (xml.name() == u"source" && !messages.empty()) {
      messages.back().source = xml.readElementText();
    } else if (xml.name() == u"translation" && !messages.empty()) {
      const QString type = xml.attributes().value("type").toString();
      messages.back().finished = type.isEmpty();
      messages.back().translation = xml.readElementText();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return messages;
}

// The printf conversions of a text in order ("%%" included), then Qt's %1..%99 sorted.
QStringList placeholders(const QString& text) {
  static const QRegularExpression printf(
      QStringLiteral("%(%|[-+ #0]*[0-9]*(\\.[0-9]+)?(hh|h|ll|l|z|j|t)?[diouxXeEfgGcsp])"));
  static const QRegularExpression qt(QStringLiteral("%[1-9][0-9]?(?![0-9])"));
  QStringList found;
  for (auto it = printf.globalMatch(text); it.hasNext();) found << it.next().captured();
  // What is left once the printf conversions are out ("%10ld" holds no %1).
  QString rest = text;
  rest.remove(printf);
  QStringList numbered;
  for (auto it = qt.globalMatch(rest); it.hasNext();) numbered << it.next().captured();
  numbered.sort();
  return found + numbered;
}

bool hasJapanese(const QString& text) {
  static const QRegularExpression japanese(
      QStringLiteral("[\\x{3000}-\\x{30FF}\\x{4E00}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
  return text.contains(japanese);
}

std::string where(const Message& m) {
  return (m.context + " / " + m.source + " -> " + m.translation).toStdString();
}

TEST(TranslationCatalogue, PlaceholdersAreFoundAsTheTranslationsNeedThem) {
  EXPECT_EQ(placeholders("%10ldpos %13.6f秒 %%"), (QStringList{"%10ld", "%13.6f", "%%"}));
  EXPECT_EQ(placeholders("%2 of %1, %s"), (QStringList{"%s", "%1", "%2"}));
  EXPECT_NE(placeholders("%d bits"), placeholders("%s bits"));
  EXPECT_NE(placeholders("%s to %s"), placeholders("%s"));
}

TEST(TranslationCatalogue, EverySourceTextHasAFinishedEnglishTranslation) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString copy = dir.filePath("korimu_en.ts");
  ASSERT_TRUE(QFile::copy(KORIMU_TS_FILE, copy));
  QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
  // The same options the build's lupdate target uses; new texts come out unfinished.
  QProcess lupdate;
  lupdate.setProcessChannelMode(QProcess::MergedChannels);
  lupdate.start(KORIMU_LUPDATE, {"-locations", "none", "-no-obsolete", "-source-language", "ja",
                                 "-extensions", "cpp,h", KORIMU_SOURCE_DIR "/src", "-ts", copy});
  ASSERT_TRUE(lupdate.waitForFinished(120000));
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAll().toStdString();

  const std::vector<Message> messages = readCatalogue(copy);
  ASSERT_GT(messages.size(), 150u);  // the window's menus, controls, dialogs and messages
  for (const Message& m : messages) {
    EXPECT_TRUE(m.finished && !m.translation.isEmpty()) << "untranslated: " << where(m);
    EXPECT_EQ(placeholders(m.translation), placeholders(m.source)) << where(m);
    EXPECT_FALSE(hasJapanese(m.translation)) << where(m);
    // A menu or button keeps at most one mnemonic.
    EXPECT_LE(m.translation.count(QRegularExpression("&[^&]")), 1) << where(m);
  }
  // The catalogue in the sources is what lupdate makes of them: nothing waits to be added.
  const std::vector<Message> kept = readCatalogue(KORIMU_TS_FILE);
  EXPECT_EQ(kept.size(), messages.size());
}

}  // namespace
