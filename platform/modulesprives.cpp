#include "platform/modulesprives.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

#ifndef ORMELLE_DOSSIER_MODULES // the fuzzers, which build the readers in, never look for a module
#define ORMELLE_DOSSIER_MODULES "lib/ormelle"
#endif

namespace modulesprives {

QFunctionPointer entree(const QString& nom, const char* symbole, QString* raison)
{
    QStringList essais;
    if (QCoreApplication::instance())
        essais << QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../")
                                  + QStringLiteral(ORMELLE_DOSSIER_MODULES) + QLatin1Char('/') + nom);
    essais << nom;
    for (const QString& chemin : essais) {
        // Never unloaded: a QLibrary gone leaves its library loaded.
        QLibrary bibliotheque(chemin);
        bibliotheque.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (bibliotheque.load()) {
            if (const QFunctionPointer f = bibliotheque.resolve(symbole))
                return f;
        }
        if (raison && raison->isEmpty())
            *raison = bibliotheque.errorString();
    }
    return nullptr;
}

} // namespace modulesprives
