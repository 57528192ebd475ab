#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace korimu {

namespace {

// The translators live as named children of the application, so a second call finds and replaces
// them and nothing process-wide is kept beside Qt's own list.
constexpr const char* kProgramTranslator = "korimu-translation";
constexpr const char* kQtTranslator = "korimu-qt-translation";

void removeTranslator(const char* name) {
  while (auto* old = qApp->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly)) {
    QCoreApplication::removeTranslator(old);
    delete old;
  }
}

bool addTranslator(const char* name, const QString& file, const QString& folder) {
  auto* translator = new QTranslator(qApp);
  translator->setObjectName(name);
  if (!translator->load(file, folder)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace

std::string installTranslations(Language language, const std::string& folder) {
  removeTranslator(kProgramTranslator);
  removeTranslator(kQtTranslator);
  const QString code =
      QString::fromUtf8(languageCode(language).data(), qsizetype(languageCode(language).size()));
  // Qt's own words: the file dialog's labels, the standard buttons.
  addTranslator(kQtTranslator, "qtbase_" + code,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (language == Language::kJapanese) return {};
  const QString programFolder = QString::fromStdString(folder);
  if (addTranslator(kProgramTranslator, "korimu_" + code, programFolder)) return {};
  return "The window's translation korimu_" + code.toStdString() + ".qm is not in " + folder +
         "; the window speaks Japanese.";
}

}  // namespace korimu
