#pragma once
// Hostile files are written by the tests themselves; with $ORMELLE_HOSTILES set they
// are kept there too, so that ormelle-bench can measure the very same files.
#include <QFile>
#include <QTemporaryDir>

inline QString ecrireHostile(const QTemporaryDir& dossier, const QString& nom, const QByteArray& octets)
{
    const QString garde = qEnvironmentVariable("ORMELLE_HOSTILES");
    const QString chemin = dossier.filePath(nom);
    for (const QString& c : {garde.isEmpty() ? QString() : garde + u'/' + nom, chemin}) {
        QFile f(c);
        if (!c.isEmpty() && f.open(QIODevice::WriteOnly))
            f.write(octets);
    }
    return chemin;
}
