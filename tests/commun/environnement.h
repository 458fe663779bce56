#pragma once
// One run's state for a test: a settings store in a folder of its own and
// scripted desktop services, around the shared state every window takes.
#include "app/general.h"
#include "core/reglages.h"
#include "commun/servicesfactices.h"

#include <QFileInfo>
#include <QTemporaryDir>

struct Environnement {
    QTemporaryDir dossier;
    Reglages reglages{dossier.filePath(QStringLiteral("Ormelle/Ormelle.ini"))};
    ServicesFactices services;
    General g{reglages, services};

    bool storeEcrit() const { return QFileInfo::exists(reglages.fichier()); }
    // What a later run would read, "<absent>" for a key never written.
    QString lu(const QString& section, const QString& cle) const
    {
        return Reglages(reglages.fichier()).lire(section, cle).value_or(QStringLiteral("<absent>"));
    }
};
