#include "app/language_menu.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>

#include "app/app_shell.h"
#include "control/controller.h"

namespace korimu {

namespace {

// Said in the language chosen: the user who chose it reads it.
const char* nextStartText(Language language) {
  return language == Language::kEnglish ? "KORIMU speaks English from its next start."
                                        : "次に起動したときから日本語で表示します。";
}

}  // namespace

void addLanguageMenu(AppShell& app) {
  QMenu* view = app.widgets.popups[2];
  if (!view) return;
  view->addSeparator();
  QMenu* menu = view->addMenu(QCoreApplication::translate("Menu", "言語 / Language(&G)"));
  auto* group = new QActionGroup(menu);
  const struct {
    Language language;
    const char* name;
  } choices[] = {{Language::kJapanese, "日本語(&J)"}, {Language::kEnglish, "English(&E)"}};
  for (const auto& choice : choices) {
    QAction* item = menu->addAction(QString::fromUtf8(choice.name));
    item->setCheckable(true);
    item->setChecked(choice.language == app.language);
    group->addAction(item);
    const Language language = choice.language;
    QObject::connect(item, &QAction::triggered, item, [&app, language] {
      const bool changed = language != app.language;
      app.language = language;
      // The widgets, the texts drawn into the canvas and the records of runs already made keep
      // the words they were made with: the window is built in one language, at its start.
      if (changed)
        app.controller().session().wave.messages.show(nextStartText(language),
                                                      MessageKind::kPlainOk);
    });
  }
}

}  // namespace korimu
