#include "sound/sonouvert.h"
#include "sound/sourceson.h"

#include <QFile>

namespace {
// A MIDI file larger than this is no song; refused before it is read.
constexpr qint64 TailleMaxMidi = 64 * 1024 * 1024;

ResultatOuverture echec(const QString& erreur)
{
    return {nullptr, erreur};
}

ResultatOuverture ouvrirMidi(const QString& chemin, QFile& f, FormatSon format, const std::atomic_bool* annule)
{
    // The size is checked before the read and the read is bounded by it: a file growing
    // meanwhile (or a size the file system got wrong) costs no more.
    const QString tropGrand = QStringLiteral("fichier MIDI trop grand (plus de %1 Mo)").arg(TailleMaxMidi >> 20);
    if (f.size() > TailleMaxMidi)
        return echec(tropGrand);
    const QByteArray contenu = f.read(qMin(f.size(), TailleMaxMidi) + 1);
    if (contenu.size() > TailleMaxMidi)
        return echec(tropGrand);
    QByteArrayView midi = contenu;
    if (format == FormatSon::Rmi) {
        auto interieur = deballerRmi(contenu);
        if (!interieur)
            return echec(QStringLiteral("fichier RMI sans données MIDI"));
        midi = *interieur;
    }
    ResultatMidi lu = lireMidi(midi, annule);
    if (!lu.morceau)
        return echec(lu.erreur);
    auto son = std::make_shared<SonOuvert>();
    son->chemin = chemin;
    son->format = format;
    son->dureeMs = lu.morceau->dureeMs();
    son->midi = std::make_shared<const MorceauMidi>(std::move(*lu.morceau));
    return {son, QString()};
}

ResultatOuverture ouvrirEchantillons(const QString& chemin)
{
    QString erreur;
    const std::unique_ptr<SourceSon> source = ouvrirSourceEchantillons(chemin, &erreur);
    if (!source)
        return echec(erreur);
    auto son = std::make_shared<SonOuvert>();
    son->chemin = chemin;
    son->format = FormatSon::Autre;
    son->frequence = source->frequence();
    son->canaux = source->canaux();
    son->trames = source->trames();
    son->dureeMs = dureeUsDe(son->trames, son->frequence) / 1000;
    return {son, QString()};
}
} // namespace

FormatSon detecterFormatSon(const QByteArray& debut)
{
    if (debut.startsWith("MThd"))
        return FormatSon::Midi;
    if (debut.size() >= 12 && debut.startsWith("RIFF") && debut.mid(8, 4) == "RMID")
        return FormatSon::Rmi;
    return FormatSon::Autre;
}

ResultatOuverture ouvrirSon(const QString& chemin, const std::atomic_bool* annule)
{
    QFile f(chemin);
    if (chemin.isEmpty() || !f.open(QIODevice::ReadOnly))
        return echec(QStringLiteral("fichier illisible"));
    const FormatSon format = detecterFormatSon(f.peek(12));
    if (format != FormatSon::Autre)
        return ouvrirMidi(chemin, f, format, annule);
    f.close();
    return ouvrirEchantillons(chemin);
}
