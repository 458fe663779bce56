#include "app/traductions.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool chargerTraductionsQt(QCoreApplication& app)
{
    const QString dossier = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qt_fr" gathers the catalogues of every Qt module the program uses.
    auto* traducteur = new QTranslator(&app);
    if (!traducteur->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qt"), QStringLiteral("_"),
                          dossier)) {
        delete traducteur;
        return false;
    }
    return QCoreApplication::installTranslator(traducteur);
}
