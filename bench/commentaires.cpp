// The comment lookup the slideshow runs on every step, over a comment file of
// many lines: it must never delay a step.
#include "core/commentaires.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int benchCommentaires(int argc, char** argv)
{
    QCoreApplication appli(argc, argv);
    int lignes = 100000, repetitions = 51;
    for (int i = 2; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--lines") == 0)
            lignes = std::max(1, atoi(argv[i + 1]));
        if (qstrcmp(argv[i], "--repeat") == 0)
            repetitions = std::max(1, atoi(argv[i + 1]));
    }
    QTemporaryDir dossier;
    const QString fichier = dossier.filePath(QStringLiteral("Vacances.txt"));
    {
        QFile f(fichier);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 0; i < lignes; ++i)
            f.write(
                QStringLiteral("/home/moi/Images/Vacances/IMG_%1.JPG/Un commentaire de longueur moyenne, numéro %1\n")
                    .arg(i, 6, 10, QLatin1Char('0'))
                    .toUtf8());
    }
    // The worst cases: the first line (read through to the start) and no line at all.
    const struct {
        const char* nom;
        QString cle;
    } cas[] = {
        {"first line", QStringLiteral("/home/moi/Images/Vacances/IMG_000000.JPG")},
        {"no line", QStringLiteral("/home/moi/Images/Vacances/ABSENT.JPG")},
        {"last line", QStringLiteral("/home/moi/Images/Vacances/IMG_%1.JPG").arg(lignes - 1, 6, 10, QLatin1Char('0'))}};
    std::printf("comment file: %d lines, %lld bytes; median of %d lookups\n", lignes,
                static_cast<long long>(QFile(fichier).size()), repetitions);
    for (const auto& c : cas) {
        std::vector<double> temps;
        for (int i = 0; i < repetitions; ++i) {
            QElapsedTimer chrono;
            chrono.start();
            const QString texte = commentaires::chercher(fichier, c.cle);
            temps.push_back(chrono.nsecsElapsed() / 1e6);
            if (i == 0 && texte.isEmpty() != (c.cle.contains(QLatin1String("ABSENT"))))
                return 2;
        }
        std::sort(temps.begin(), temps.end());
        std::printf("  %-10s %.2f ms\n", c.nom, temps[temps.size() / 2]);
    }
    return 0;
}
