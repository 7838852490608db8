#include "Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace {

// The first of the user's languages, in the user's order, that the program speaks: English, in
// which it is written ("" then), or one that `folder` holds a translation for ("de", "pt_BR").
// A later language never wins over English ranked before it.
QString ChosenLanguage(const QLocale& locale, const QString& folder) {
    for (QString language : locale.uiLanguages()) {
        language.replace(u'-', u'_');
        if (language == u"C" || language == u"en" || language.startsWith(u"en_")) return {};
        for (QString candidate = language; !candidate.isEmpty();
             candidate.truncate(std::max<qsizetype>(candidate.lastIndexOf(u'_'), 0))) {
            if (QFileInfo::exists(folder + QStringLiteral("/pagelorn_") + candidate +
                                  QStringLiteral(".qm")))
                return candidate;
        }
    }
    return {};
}

}  // namespace

QList<QTranslator*> InstallTranslations(QCoreApplication& app, const QLocale& locale,
                                        const QString& folder) {
    QList<QTranslator*> installed;
    const QString language = ChosenLanguage(locale, folder);
    if (language.isEmpty()) return installed;
    // Qt's own first, so that the program's translation decides where both have a text.
    const std::pair<QString, QString> files[] = {
        {QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)},
        {QStringLiteral("pagelorn_") + language, folder}};
    for (const auto& [name, where] : files) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(name, where) ||
            !QCoreApplication::installTranslator(translator.get()))
            continue;
        translator->setParent(&app);
        installed << translator.release();
    }
    return installed;
}
