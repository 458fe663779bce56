// The comment lookup the slideshow runs on every step, over a comment file of
// many lines: it must never delay a step. The index against a read of the whole file.
#include "core/commentaires.h"
#include "core/indexcommentaires.h"

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
    // The index is built on the first lookup, then serves every step while the file stays as it is.
    commentaires::IndexCommentaires index;
    QElapsedTimer premiere;
    premiere.start();
    index.chercher(fichier, cas[0].cle);
    std::printf("  index built in %.2f ms\n", premiere.nsecsElapsed() / 1e6);
    std::printf("  %-10s %10s %10s\n", "key", "index", "streaming");
    for (const auto& c : cas) {
        std::vector<double> temps[2];
        for (int i = 0; i < repetitions; ++i) {
            for (int mode = 0; mode < 2; ++mode) {
                QElapsedTimer chrono;
                chrono.start();
                const QString texte =
                    mode == 0 ? index.chercher(fichier, c.cle) : commentaires::chercher(fichier, c.cle);
                temps[mode].push_back(chrono.nsecsElapsed() / 1e6);
                if (i == 0 && texte.isEmpty() != (c.cle.contains(QLatin1String("ABSENT"))))
                    return 2;
            }
        }
        for (auto& t : temps)
            std::sort(t.begin(), t.end());
        std::printf("  %-10s %7.3f ms %7.2f ms\n", c.nom, temps[0][temps[0].size() / 2], temps[1][temps[1].size() / 2]);
    }
    if (index.lectures() != 1)
        return 3;
    return 0;
}
