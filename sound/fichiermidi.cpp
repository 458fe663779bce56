#include "sound/fichiermidi.h"

#include <QtEndian>
#include <algorithm>

namespace {
// Far beyond any real song; keeps a hostile file from exhausting memory.
constexpr size_t MaxEvenements = 20'000'000;
constexpr quint8 MetaFinPiste = 0x2F;
constexpr quint8 MetaTempo = 0x51;

// An event of a track, before the tracks are merged.
struct EvenementPiste {
    qint64 tick = 0;
    int piste = 0;
    int ordre = 0;     // position in its track, so that merging keeps each track's order
    qint32 tempo = -1; // µs per quarter note for a tempo event, -1 otherwise
    bool audible = false;
    EvenementMidi midi;
};

class Lecteur {
public:
    Lecteur(const char* debut, qint64 taille) : p_(debut), fin_(debut + taille) {}

    bool fini() const { return p_ >= fin_; }
    bool octet(quint8& o)
    {
        if (p_ >= fin_)
            return false;
        o = quint8(*p_++);
        return true;
    }
    // Variable-length quantity: at most four bytes, 28 bits.
    bool vlq(quint32& v)
    {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            quint8 o;
            if (!octet(o))
                return false;
            v = (v << 7) | (o & 0x7F);
            if (!(o & 0x80))
                return true;
        }
        return false;
    }
    bool sauter(quint32 n, const char** debut)
    {
        if (quint64(fin_ - p_) < n)
            return false;
        *debut = p_;
        p_ += n;
        return true;
    }

private:
    const char* p_;
    const char* fin_;
};

int octetsDonnees(quint8 statut)
{
    switch (statut & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

struct LecturePiste {
    std::vector<EvenementPiste>& sortie;
    QByteArray& sysex;
    int piste;
    QString erreur;

    bool lire(const char* donnees, quint32 taille);
};

bool LecturePiste::lire(const char* donnees, quint32 taille)
{
    Lecteur l(donnees, taille);
    qint64 tick = 0;
    quint8 courant = 0; // running status
    int ordre = 0;
    while (!l.fini()) {
        quint32 delta;
        quint8 statut;
        if (!l.vlq(delta) || !l.octet(statut)) {
            erreur = QStringLiteral("événement tronqué");
            return false;
        }
        tick += delta;
        EvenementPiste e;
        e.tick = tick;
        e.piste = piste;
        e.ordre = ordre++;
        if (statut < 0x80) {
            if (!courant) {
                erreur = QStringLiteral("donnée sans octet d'état");
                return false;
            }
            // Running status: this byte is the first data byte.
            e.midi.statut = courant;
            e.midi.donnee1 = statut;
            quint8 d2 = 0;
            if (octetsDonnees(courant) == 2 && !l.octet(d2)) {
                erreur = QStringLiteral("événement tronqué");
                return false;
            }
            e.midi.donnee2 = d2 & 0x7F;
            e.audible = true;
        } else if (statut < 0xF0) {
            courant = statut;
            quint8 d1 = 0, d2 = 0;
            if (!l.octet(d1) || (octetsDonnees(statut) == 2 && !l.octet(d2))) {
                erreur = QStringLiteral("événement tronqué");
                return false;
            }
            e.midi = {0, statut, quint8(d1 & 0x7F), quint8(d2 & 0x7F), 0, 0};
            e.audible = true;
        } else if (statut == 0xF0 || statut == 0xF7) {
            quint32 n;
            const char* d;
            if (!l.vlq(n) || !l.sauter(n, &d)) {
                erreur = QStringLiteral("message exclusif tronqué");
                return false;
            }
            // Only whole F0 … F7 messages go to the synthesiser; escapes and packets are dropped.
            if (statut == 0xF0 && n > 0 && quint8(d[n - 1]) == 0xF7) {
                e.midi.statut = 0xF0;
                e.midi.sysexDebut = quint32(sysex.size());
                e.midi.sysexLongueur = n - 1;
                sysex.append(d, n - 1);
                e.audible = true;
            }
        } else if (statut == 0xFF) {
            quint8 type;
            quint32 n;
            const char* d;
            if (!l.octet(type) || !l.vlq(n) || !l.sauter(n, &d)) {
                erreur = QStringLiteral("méta-événement tronqué");
                return false;
            }
            if (type == MetaTempo && n >= 3)
                e.tempo = (quint8(d[0]) << 16) | (quint8(d[1]) << 8) | quint8(d[2]);
            if (type == MetaFinPiste) {
                sortie.push_back(e);
                return true;
            }
        } else {
            erreur = QStringLiteral("octet d'état inconnu");
            return false;
        }
        if (sortie.size() >= MaxEvenements) {
            erreur = QStringLiteral("trop d'événements");
            return false;
        }
        sortie.push_back(e);
    }
    return true;
}

// Converts ticks to microseconds along the tempo map. The sum is kept in ticks × µs per
// quarter note, so that no rounding accumulates whatever the number of tempo changes.
class Horloge {
public:
    explicit Horloge(quint16 division)
    {
        if (division & 0x8000) {
            // SMPTE: frames per second (29 stands for 29.97) × ticks per frame; tempo ignored.
            const int images = -qint8(division >> 8);
            const int ticksParImage = division & 0xFF;
            smpte_ = true;
            // µs per tick = 1e6 / (images × ticksParImage), as a fraction.
            numerateurSmpte_ = images == 29 ? 100'000'000 : 1'000'000;
            diviseur_ = (images == 29 ? 2997 : images) * ticksParImage;
        } else {
            diviseur_ = division;
        }
    }
    bool valide() const { return diviseur_ > 0; }
    void avancerA(qint64 tick)
    {
        const qint64 delta = tick - tick_;
        somme_ += __int128(delta) * (smpte_ ? numerateurSmpte_ : tempo_);
        tick_ = tick;
    }
    void setTempo(qint32 t) { tempo_ = t; }
    qint64 us() const { return qint64(somme_ / diviseur_); }

private:
    bool smpte_ = false;
    qint64 numerateurSmpte_ = 0;
    qint64 diviseur_ = 0;
    qint64 tempo_ = 500'000; // 120 quarter notes a minute until the first tempo event
    qint64 tick_ = 0;
    __int128 somme_ = 0;
};

ResultatMidi echec(const QString& erreur)
{
    return {std::nullopt, erreur};
}
} // namespace

std::optional<QByteArray> deballerRmi(const QByteArray& fichier)
{
    if (fichier.size() < 12 || !fichier.startsWith("RIFF") || fichier.mid(8, 4) != "RMID")
        return std::nullopt;
    qint64 pos = 12;
    while (pos + 8 <= fichier.size()) {
        const quint32 annonce = qFromLittleEndian<quint32>(fichier.constData() + pos + 4);
        const qint64 debut = pos + 8;
        if (fichier.mid(pos, 4) == "data")
            return fichier.mid(debut, qMin<qint64>(annonce, fichier.size() - debut));
        pos = debut + qint64(annonce) + (annonce & 1);
    }
    return std::nullopt;
}

ResultatMidi lireMidi(const QByteArray& fichier)
{
    const char* base = fichier.constData();
    const qint64 taille = fichier.size();
    if (taille < 14 || !fichier.startsWith("MThd"))
        return echec(QStringLiteral("pas un fichier MIDI"));
    const quint32 longueurEntete = qFromBigEndian<quint32>(base + 4);
    if (longueurEntete < 6 || 8 + qint64(longueurEntete) > taille)
        return echec(QStringLiteral("en-tête MIDI tronqué"));
    const quint16 format = qFromBigEndian<quint16>(base + 8);
    const quint16 nbPistes = qFromBigEndian<quint16>(base + 10);
    Horloge horloge(qFromBigEndian<quint16>(base + 12));
    if (format > 2 || nbPistes == 0 || !horloge.valide())
        return echec(QStringLiteral("en-tête MIDI invalide"));

    std::vector<EvenementPiste> evenements;
    MorceauMidi morceau;
    qint64 pos = 8 + longueurEntete;
    int pistes = 0;
    qint64 decalage = 0; // format 2: each pattern follows the previous one
    while (pistes < nbPistes) {
        if (pos + 8 > taille)
            return echec(QStringLiteral("piste manquante ou tronquée"));
        const quint32 longueur = qFromBigEndian<quint32>(base + pos + 4);
        if (pos + 8 + qint64(longueur) > taille)
            return echec(QStringLiteral("piste tronquée"));
        if (fichier.mid(pos, 4) == "MTrk") {
            const size_t premier = evenements.size();
            LecturePiste lecture{evenements, morceau.sysex, pistes, {}};
            if (!lecture.lire(base + pos + 8, longueur))
                return echec(lecture.erreur);
            if (format == 2 && evenements.size() > premier) {
                for (size_t i = premier; i < evenements.size(); ++i)
                    evenements[i].tick += decalage;
                decalage = evenements.back().tick;
            }
            ++pistes;
        }
        pos += 8 + qint64(longueur);
    }

    // Merged in time; at equal ticks the earlier track first, each track in its own order.
    std::sort(evenements.begin(), evenements.end(), [](const EvenementPiste& a, const EvenementPiste& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        if (a.piste != b.piste)
            return a.piste < b.piste;
        return a.ordre < b.ordre;
    });
    morceau.evenements.reserve(evenements.size());
    for (const EvenementPiste& e : evenements) {
        horloge.avancerA(e.tick);
        if (e.tempo >= 0)
            horloge.setTempo(e.tempo);
        if (e.audible) {
            EvenementMidi m = e.midi;
            m.tempsUs = horloge.us();
            morceau.evenements.push_back(m);
        }
    }
    morceau.dureeUs = horloge.us();
    return {std::move(morceau), QString()};
}
