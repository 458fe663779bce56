// ormelle-bench: figures of the picture loader and the folder listing, measured
// with the very code the viewer runs.
#include "outils.h"
#include "generateur.h"
#include "platform/chargeurimage.h"
#include "platform/formatimage.h"
#include "platform/listedossier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void usage()
{
    std::fputs(
        "usage:\n"
        "  ormelle-bench decode FILE [--fit WxH] [--png OUT] [--repeat N]\n"
        "  ormelle-bench list FOLDER PATTERN [--repeat N] [--locale NAME]\n"
        "  ormelle-bench make-jpeg OUT W H [--quality Q] [--seed S]\n"
        "  ormelle-bench make-folder FOLDER N\n"
        "  ormelle-bench slideshow FOLDER [--steps N] [--screen WxH] [--random] [--capture FILE.png]\n"
        "  ormelle-bench preview FOLDER [--rounds N] [--burst N] [--interval MS]\n"
        "  ormelle-bench thumbnails FOLDER [--pages N] [--make N] [--rate PAGES_PER_S]\n"
        "  ormelle-bench thumbnail-page FOLDER\n"
        "  ormelle-bench music FILE [--seconds N] [--runs N] [--wav OUT]\n"
        "  ormelle-bench make-midi OUT [--seconds S] [--seed N]\n"
        "  ormelle-bench comments [--lines N] [--repeat N]\n"
        "  ormelle-bench animation [FILE.gif] [--frames N] [--screen WxH] [--size WxH] [--count N] [--delay CS]\n"
        "  ormelle-bench make-gif OUT [--size WxH] [--count N] [--delay CS]\n",
        stderr);
}

QSize lireTaille(const QString& texte)
{
    const QStringList p = texte.split(QLatin1Char('x'));
    return p.size() == 2 ? QSize(p[0].toInt(), p[1].toInt()) : QSize();
}

// Runs `travail` as many times as --repeat asks; the median of its times, in ms.
template <class Travail>
double chronometrer(int repetitions, Travail travail)
{
    std::vector<double> temps;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        travail();
        temps.push_back(chrono.nsecsElapsed() / 1e6);
    }
    return mediane(temps);
}

// The rectangle the viewer draws a picture into: fitted in the box, never enlarged.
QSize ajuster(const QSize& naturelle, const QSize& boite)
{
    if (!boite.isValid() || !naturelle.isValid())
        return {};
    if (naturelle.width() <= boite.width() && naturelle.height() <= boite.height())
        return naturelle;
    return naturelle.scaled(boite, Qt::KeepAspectRatio);
}

int decoder(const QStringList& args)
{
    const QString fichier = args.value(0);
    const QSize boite = lireTaille(option(args, QStringLiteral("--fit")));
    const int repetitions = std::max(1, option(args, QStringLiteral("--repeat"), QStringLiteral("1")).toInt());
    ResultatImage r;
    const double temps =
        chronometrer(repetitions, [&] { r = chargerImage(fichier, ajuster(lireTailleNaturelle(fichier), boite)); });
    std::printf("naturelle %dx%d  décodée %dx%d  temps %.1f ms (médiane de %d)  mémoire max %.1f Mo\n",
                r.tailleNaturelle.width(), r.tailleNaturelle.height(), r.image.width(), r.image.height(), temps,
                repetitions, memoireMaxMo());
    if (!r.ok()) {
        std::printf("erreur : %s\n", qPrintable(r.erreur));
        return 1;
    }
    const QString png = option(args, QStringLiteral("--png"));
    if (!png.isEmpty() && !r.image.save(png, "png")) {
        std::fprintf(stderr, "écriture impossible : %s\n", qPrintable(png));
        return 1;
    }
    return 0;
}

int lister(const QStringList& args)
{
    const QString locale = option(args, QStringLiteral("--locale"));
    if (!locale.isEmpty())
        QLocale::setDefault(QLocale(locale));
    const int repetitions = std::max(1, option(args, QStringLiteral("--repeat"), QStringLiteral("1")).toInt());
    QStringList noms;
    QString erreur;
    const double temps =
        chronometrer(repetitions, [&] { noms = listerFichiers(args.value(0), args.value(1), &erreur); });
    if (!erreur.isEmpty())
        std::printf("erreur : %s\n", qPrintable(erreur));
    std::printf("%lld fichiers  temps %.1f ms (médiane de %d)  premier « %s »  dernier « %s »\n",
                static_cast<long long>(noms.size()), temps, repetitions, qPrintable(noms.value(0)),
                qPrintable(noms.value(noms.size() - 1)));
    return erreur.isEmpty() ? 0 : 1;
}

bool estWmf(const QString& fichier)
{
    QFile f(fichier);
    return f.open(QIODevice::ReadOnly)
           && formatimage::detecter(f.read(formatimage::OctetsDebut)) == formatimage::Format::Wmf;
}

} // namespace

int benchSlideshow(int argc, char** argv);
int benchApercu(int argc, char** argv);
int benchMiniatures(int argc, char** argv);
int benchPageMiniatures(int argc, char** argv);
int benchMusique(const QStringList& args);
bool fabriquerMidi(const QString& sortie, int secondes, quint32 graine);
int benchCommentaires(int argc, char** argv);
int benchAnimation(int argc, char** argv);

int main(int argc, char** argv)
{
    // The viewer's own run makes its application object.
    if (argc > 1 && qstrcmp(argv[1], "slideshow") == 0)
        return benchSlideshow(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "preview") == 0)
        return benchApercu(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "thumbnails") == 0)
        return benchMiniatures(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "thumbnail-page") == 0)
        return benchPageMiniatures(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "comments") == 0)
        return benchCommentaires(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "animation") == 0)
        return benchAnimation(argc, argv);
    if (argc < 2) {
        usage();
        return 2;
    }
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString commande = args.value(0);
    args.removeFirst();
    // Metafiles may draw text, which needs the GUI side of Qt; pictures do not.
    std::unique_ptr<QCoreApplication> appli;
    if (commande == QLatin1String("decode") && estWmf(args.value(0))) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        appli = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        appli = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (commande == QLatin1String("decode") && !args.isEmpty())
        return decoder(args);
    if (commande == QLatin1String("list") && args.size() >= 2)
        return lister(args);
    if (commande == QLatin1String("make-jpeg") && args.size() >= 3)
        return fabriquerJpeg(args[0], args[1].toInt(), args[2].toInt(),
                             option(args, QStringLiteral("--quality"), QStringLiteral("90")).toInt(),
                             option(args, QStringLiteral("--seed"), QStringLiteral("1")).toUInt())
                   ? 0
                   : 1;
    if (commande == QLatin1String("music") && !args.isEmpty())
        return benchMusique(args);
    if (commande == QLatin1String("make-midi") && !args.isEmpty())
        return fabriquerMidi(args[0], option(args, QStringLiteral("--seconds"), QStringLiteral("180")).toInt(),
                             option(args, QStringLiteral("--seed"), QStringLiteral("1")).toUInt())
                   ? 0
                   : 1;
    if (commande == QLatin1String("make-gif") && !args.isEmpty()) {
        const QSize taille = lireTaille(option(args, QStringLiteral("--size"), QStringLiteral("1920x1080")));
        return fabriquerGif(args[0], taille.width(), taille.height(),
                            option(args, QStringLiteral("--count"), QStringLiteral("1000")).toInt(),
                            option(args, QStringLiteral("--delay"), QStringLiteral("4")).toInt())
                   ? 0
                   : 1;
    }
    if (commande == QLatin1String("make-folder") && args.size() >= 2)
        return fabriquerDossier(args[0], args[1].toInt()) ? 0 : 1;
    usage();
    return 2;
}
