#include "platform/strings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

#include <algorithm>
#include <atomic>

Q_LOGGING_CATEGORY(lcTranslations, "tidewell.translations", QtWarningMsg)

namespace {

// Sorted by id; the table is generated in that order.
constexpr StringEntry englishEntries[] = {
#include "strings_en.inc"
};

std::atomic<Language> language{QLocale::system().language() == QLocale::Korean ? Language::Korean
                                                                                 : Language::English};

// The program's own translation and Qt's, installed while the language is Korean.
struct Translators {
    QTranslator program;
    QTranslator qt;
    bool installed = false;
};

Translators &translators()
{
    static Translators instance;
    return instance;
}

void apply(Language lang)
{
    if (!QCoreApplication::instance())
        return;
    Translators &t = translators();
    if (t.installed) {
        QCoreApplication::removeTranslator(&t.qt);
        QCoreApplication::removeTranslator(&t.program);
        t.installed = false;
    }
    if (lang != Language::Korean)
        return;
    if (!t.program.load(QStringLiteral(":/i18n/tidewell_ko.qm")))
        qCWarning(lcTranslations) << "The Korean translation is missing from the program";
    // Without Qt's translation installed, its dialogs stay English; the program's texts do not.
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!t.qt.load(QStringLiteral("qtbase_ko"), qtFolder))
        qCInfo(lcTranslations) << "No Korean translation of Qt in" << qtFolder;
    QCoreApplication::installTranslator(&t.program);
    QCoreApplication::installTranslator(&t.qt);
    t.installed = true;
}

} // namespace

Language currentLanguage()
{
    return language.load();
}

void setLanguage(Language lang)
{
    language = lang;
    apply(lang);
}

void installTranslations()
{
    apply(currentLanguage());
}

StringTable englishStrings()
{
    return {englishEntries, int(std::size(englishEntries))};
}

QString loadString(int id)
{
    const StringEntry *end = std::end(englishEntries);
    const StringEntry *it = std::lower_bound(std::begin(englishEntries), end, id,
                                             [](const StringEntry &e, int key) { return e.id < key; });
    if (it == end || it->id != id)
        return {};
    return QCoreApplication::translate("Texts", it->source.text, it->source.disambiguation);
}
