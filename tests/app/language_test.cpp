// The window in English: every widget, menu, dialog and window it shows carries no Japanese text
// (the language item's 日本語, which names itself, aside), Qt's own words follow the language,
// the choice made in the menu comes back at the next start, and Japanese is the default.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <memory>

#include "app/help_window.h"
#include "app/widgets.h"
#include "cross_section_window_support.h"
#include "dialogs/about_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/options_dialog.h"

namespace korimu::testing {
namespace {

// Hiragana, katakana (full and half width), CJK ideographs and full-width forms.
bool hasJapanese(const QString& text) {
  static const QRegularExpression japanese(
      QStringLiteral("[\\x{3000}-\\x{30FF}\\x{4E00}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
  QString rest = text;
  rest.remove(QStringLiteral("日本語"));  // the language item names itself
  return rest.contains(japanese);
}

// Every text a widget of `root`'s tree shows: captions, titles, list items, labels, tooltips,
// and the menus reachable from it (submenus too).
QStringList shownTexts(const QWidget* root) {
  QStringList texts{root->windowTitle(), root->toolTip()};
  QList<const QWidget*> widgets{root};
  for (const QWidget* child : root->findChildren<QWidget*>()) widgets.push_back(child);
  for (const QWidget* w : widgets) {
    texts << w->toolTip() << w->accessibleName();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) texts << b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) texts << g->title();
    if (const auto* l = qobject_cast<const QLabel*>(w)) texts << l->text();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
    if (const auto* m = qobject_cast<const QMenu*>(w)) {
      // A menu filled when it opens (the recent files) is asked to fill itself first.
      emit const_cast<QMenu*>(m)->aboutToShow();
      texts << m->title();
      for (const QAction* a : m->actions()) texts << a->text() << a->toolTip();
    }
    if (const auto* bar = qobject_cast<const QMenuBar*>(w))
      for (const QAction* a : bar->actions()) texts << a->text();
    if (const auto* browser = qobject_cast<const QTextBrowser*>(w))
      texts << browser->document()->toPlainText();
  }
  return texts;
}

// The texts with Japanese in them, as UTF-8 so that a failure prints them.
std::vector<std::string> japaneseTexts(const QWidget* root) {
  std::vector<std::string> found;
  for (const QString& text : shownTexts(root))
    if (hasJapanese(text)) found.push_back(text.left(200).toStdString());
  return found;
}

class LanguageTest : public CrossSectionWindowTest {
 protected:
  // Starts the window as `korimu --lang CODE FILE` would (no --lang: the remembered choice).
  void startIn(std::optional<Language> language, const std::string& file = "") {
    app().translationsFolder = KORIMU_TRANSLATIONS_DIR;
    app().messages.sink = [this](std::string_view text, MessageKind) {
      messages.emplace_back(text);
    };
    CommandLine commandLine;
    commandLine.fileName = file;
    commandLine.language = language;
    ASSERT_TRUE(initInstance(app(), commandLine, false));
    QApplication::processEvents();
    waitWhileBusy();
  }
  void restart(std::optional<Language> language) {
    saveSettingsAtExit(app());
    destroyMainWindow(app());
    startIn(language);
  }
  QAction* languageItem(const QString& name) {
    for (QAction* item : shell().window->findChildren<QAction*>())
      if (item->text().startsWith(name)) return item;
    return nullptr;
  }
};

TEST_F(LanguageTest, EnglishShowsNoJapaneseInAnyWindowMenuOrDialog) {
  startIn(Language::kEnglish, sineFile("english.wav", 3.0));
  ASSERT_TRUE(messages.empty()) << messages.front();
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), "Run");
  EXPECT_EQ(japaneseTexts(shell().window), std::vector<std::string>());

  // The window in its running state, and after the chart with the cross-section open.
  analyzeFftChart();
  EXPECT_EQ(japaneseTexts(shell().window), std::vector<std::string>());
  controller().command(kCrossSectionId);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(japaneseTexts(window()), std::vector<std::string>());
  std::unique_ptr<QMenu> systemMenu(createDialogMenu(window(), settings(), {}, {}));
  EXPECT_EQ(japaneseTexts(systemMenu.get()), std::vector<std::string>());

  const std::unique_ptr<QDialog> dialogs[] = {
      std::unique_ptr<QDialog>(createOptionsDialog(nullptr, settings())),
      std::unique_ptr<QDialog>(createAboutDialog(nullptr, settings(), DeviceCounts{})),
      std::unique_ptr<QDialog>(
          createInfoDialog(nullptr, settings(), controller().session().document.fileName)),
      std::unique_ptr<QDialog>(createInfoDialog(nullptr, settings(), "/nonexistent/none.wav")),
  };
  for (const auto& dialog : dialogs) {
    SCOPED_TRACE(dialog->windowTitle().toStdString());
    EXPECT_EQ(japaneseTexts(dialog.get()), std::vector<std::string>());
  }

  // F1 asks for the English help page, shown here in the program's own help window.
  std::vector<std::string> opened;
  shellServices().openHelpPage = [&](const std::string& page) {
    opened.push_back(page);
    return openHelpInProgram(app(), page);
  };
  controller().command(kHelpId);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(opened[0].ends_with("/help/index.en.html")) << opened[0];
  ASSERT_NE(helpWindow(app()), nullptr);
  EXPECT_EQ(japaneseTexts(helpWindow(app())), std::vector<std::string>());

  // Qt's own words (the file dialog's buttons) follow the language too.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

// Each English menu's keys are its own: no two items share a mnemonic letter.
TEST_F(LanguageTest, EnglishMenusKeepOneItemPerMnemonic) {
  startIn(Language::kEnglish);
  QList<QMenu*> menus = shell().window->findChildren<QMenu*>();
  ASSERT_GE(menus.size(), 5);
  static const QRegularExpression mnemonic(QStringLiteral("&([^&])"));
  for (QMenu* menu : menus) {
    emit menu->aboutToShow();
    QStringList letters;
    for (const QAction* item : menu->actions()) {
      const QRegularExpressionMatch m = mnemonic.match(item->text());
      if (m.hasMatch()) letters << m.captured(1).toLower();
    }
    QStringList unique = letters;
    unique.removeDuplicates();
    EXPECT_EQ(unique.size(), letters.size())
        << menu->title().toStdString() << ": " << letters.join(' ').toStdString();
  }
}

TEST_F(LanguageTest, JapaneseIsTheDefaultAndComesBackAfterEnglish) {
  startIn(Language::kEnglish);
  restart(std::nullopt);  // nothing chosen in the menu: --lang en was remembered
  EXPECT_EQ(app().language, Language::kEnglish);
  restart(Language::kJapanese);
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), "解析");
  EXPECT_EQ(shell().popups[0]->title(), "ファイル(&F)");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "キャンセル");
  // A settings file without the choice (a first start) is Japanese, whatever the locale says.
  saveSettingsAtExit(app());
  destroyMainWindow(app());
  std::filesystem::remove(settingsFilePath());
  ::setenv("LANG", "en_US.UTF-8", 1);
  startIn(std::nullopt);
  ::unsetenv("LANG");
  EXPECT_EQ(app().language, Language::kJapanese);
  EXPECT_EQ(buttonById(kStopId)->text(), "停止");
}

TEST_F(LanguageTest, TheMenuChoiceIsRememberedForTheNextStart) {
  startIn(std::nullopt);
  QAction* english = languageItem("English");
  QAction* japanese = languageItem("日本語");
  ASSERT_TRUE(english && japanese);
  EXPECT_TRUE(japanese->isChecked());
  english->trigger();
  EXPECT_TRUE(english->isChecked());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "KORIMU speaks English from its next start.");
  // This window keeps its language until it starts again.
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), "解析");
  restart(std::nullopt);
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), "Run");
  EXPECT_TRUE(languageItem("English")->isChecked());

  messages.clear();
  languageItem("日本語")->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "次に起動したときから日本語で表示します。");
  restart(std::nullopt);
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), "解析");
}

// Without the program's catalogue the window says so, in English, and speaks Japanese.
TEST_F(LanguageTest, AMissingCatalogueIsToldAndTheWindowStaysJapanese) {
  app().translationsFolder = "/nonexistent/korimu/translations";
  app().messages.sink = [this](std::string_view text, MessageKind) { messages.emplace_back(text); };
  CommandLine commandLine;
  commandLine.language = Language::kEnglish;
  ASSERT_TRUE(initInstance(app(), commandLine, false));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("korimu_en.qm is not in /nonexistent/korimu/translations"),
            std::string::npos)
      << messages[0];
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), "解析");
}

}  // namespace
}  // namespace korimu::testing
