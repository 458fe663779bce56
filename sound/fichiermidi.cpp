#include "sound/fichiermidi.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <queue>

namespace {
constexpr quint8 MetaFinPiste = 0x2F;
constexpr quint8 MetaTempo = 0x51;
// How often a reading looks whether it was cancelled.
constexpr int PasAnnulation = 1 << 16;

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

enum class Genre { Audible, Tempo, Fin, Autre };

// One event of a track as it is read, before the tracks are merged.
struct EvenementPiste {
    qint64 tick = 0;
    Genre genre = Genre::Autre;
    qint32 tempo = 0; // µs per quarter note for a tempo event
    EvenementMidi midi;
};

// A track read one event at a time, so that merging the tracks never copies them.
class Piste {
public:
    Piste(const char* donnees, quint32 taille, qint64 base) : l_(donnees, taille), tick_(base) {}

    bool finie() const { return finie_; }
    const EvenementPiste& suivant() const { return e_; }
    qint64 dernierTick() const { return tick_; }
    // Reads the next event; false with `erreur` set when the track is broken. Past its
    // last event (or its End of Track) the track is finie().
    bool lire(QString& erreur);

private:
    bool lireCanal(quint8 statut, QString& erreur);
    bool lireExclusif(quint8 statut, QString& erreur);
    bool lireMeta(QString& erreur);

    Lecteur l_;
    qint64 tick_;
    quint8 courant_ = 0; // running status
    bool finie_ = false;
    EvenementPiste e_;
};

bool Piste::lire(QString& erreur)
{
    if (l_.fini() || e_.genre == Genre::Fin) {
        finie_ = true;
        return true;
    }
    quint32 delta;
    quint8 statut;
    if (!l_.vlq(delta) || !l_.octet(statut)) {
        erreur = QStringLiteral("événement tronqué");
        return false;
    }
    tick_ += delta;
    e_ = EvenementPiste();
    e_.tick = tick_;
    if (statut < 0xF0)
        return lireCanal(statut, erreur);
    if (statut == 0xF0 || statut == 0xF7)
        return lireExclusif(statut, erreur);
    if (statut == 0xFF)
        return lireMeta(erreur);
    erreur = QStringLiteral("octet d'état inconnu");
    return false;
}

bool Piste::lireCanal(quint8 statut, QString& erreur)
{
    quint8 d1 = statut, d2 = 0;
    if (statut < 0x80) {
        if (!courant_) {
            erreur = QStringLiteral("donnée sans octet d'état");
            return false;
        }
        // Running status: this byte is the first data byte.
        statut = courant_;
    } else if (!l_.octet(d1)) {
        erreur = QStringLiteral("événement tronqué");
        return false;
    }
    courant_ = statut;
    if (octetsDonnees(statut) == 2 && !l_.octet(d2)) {
        erreur = QStringLiteral("événement tronqué");
        return false;
    }
    e_.genre = Genre::Audible;
    e_.midi.statut = statut;
    e_.midi.donnee1 = d1 & 0x7F;
    e_.midi.donnee2 = d2 & 0x7F;
    return true;
}

bool Piste::lireExclusif(quint8 statut, QString& erreur)
{
    quint32 n;
    const char* d;
    if (!l_.vlq(n) || !l_.sauter(n, &d)) {
        erreur = QStringLiteral("message exclusif tronqué");
        return false;
    }
    // Only whole F0 … F7 messages go to the synthesiser; escapes and packets are dropped.
    if (statut == 0xF0 && n > 0 && quint8(d[n - 1]) == 0xF7) {
        e_.genre = Genre::Audible;
        e_.midi.statut = 0xF0;
        e_.midi.sysex = d;
        e_.midi.sysexLongueur = n - 1;
    }
    return true;
}

bool Piste::lireMeta(QString& erreur)
{
    quint8 type;
    quint32 n;
    const char* d;
    if (!l_.octet(type) || !l_.vlq(n) || !l_.sauter(n, &d)) {
        erreur = QStringLiteral("méta-événement tronqué");
        return false;
    }
    if (type == MetaTempo && n >= 3) {
        e_.genre = Genre::Tempo;
        e_.tempo = (quint8(d[0]) << 16) | (quint8(d[1]) << 8) | quint8(d[2]);
    } else if (type == MetaFinPiste) {
        e_.genre = Genre::Fin;
    }
    return true;
}

// Converts ticks to microseconds along the tempo map. The sum is kept in ticks × µs per
// quarter note, so that no rounding accumulates whatever the number of tempo changes;
// it cannot overflow (ticks stay under 2^60 for any file under 4 GB, the factor under
// 2^27) and is read held to DureeSonMaxUs.
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
    qint64 us() const { return qint64(std::min<__int128>(somme_ / diviseur_, DureeSonMaxUs)); }

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

bool egal4(const char* p, const char* nom)
{
    return std::memcmp(p, nom, 4) == 0;
}

struct Morceau {
    const char* debut;
    quint32 longueur;
};

// Merges the tracks in time (at equal ticks the earlier track first, each track in its
// own order; format 2's patterns one after the other) into the store.
class Fusion {
public:
    Fusion(const std::vector<Morceau>& pistes, bool enchainer, quint16 division, const std::atomic_bool* annule)
        : morceaux_(pistes), enchainer_(enchainer), horloge_(division), annule_(annule)
    {
    }
    bool valide() const { return horloge_.valide(); }
    ResultatMidi executer();

private:
    bool entrer(size_t i, qint64 base);
    bool traiter(const EvenementPiste& e);

    const std::vector<Morceau>& morceaux_;
    bool enchainer_;
    Horloge horloge_;
    const std::atomic_bool* annule_;
    std::vector<Piste> pistes_;
    using Cle = std::pair<qint64, size_t>; // tick, track
    std::priority_queue<Cle, std::vector<Cle>, std::greater<Cle>> file_;
    MorceauMidi morceau_;
    QString erreur_;
};

bool Fusion::entrer(size_t i, qint64 base)
{
    // In format 2 an empty pattern hands its place on to the next one.
    for (;; ++i) {
        pistes_.emplace_back(morceaux_[i].debut, morceaux_[i].longueur, base);
        Piste& p = pistes_.back();
        if (!p.lire(erreur_))
            return false;
        if (!p.finie()) {
            file_.push({p.suivant().tick, i});
            return true;
        }
        if (!enchainer_ || i + 1 >= morceaux_.size())
            return true;
        base = p.dernierTick();
    }
}

bool Fusion::traiter(const EvenementPiste& e)
{
    horloge_.avancerA(e.tick);
    if (e.genre == Genre::Tempo)
        horloge_.setTempo(e.tempo);
    if (e.genre != Genre::Audible)
        return true;
    EvenementMidi m = e.midi;
    m.tempsUs = horloge_.us();
    if (morceau_.ajouter(m))
        return true;
    erreur_ = QStringLiteral("trop d'événements : le morceau dépasse la mémoire réservée au son");
    return false;
}

ResultatMidi Fusion::executer()
{
    pistes_.reserve(morceaux_.size());
    for (size_t i = 0; i < (enchainer_ ? std::min<size_t>(1, morceaux_.size()) : morceaux_.size()); ++i)
        if (!entrer(i, 0))
            return echec(erreur_);
    int pas = 0;
    while (!file_.empty()) {
        const size_t i = file_.top().second;
        file_.pop();
        Piste& p = pistes_[i];
        // A track goes on without the queue while it stays ahead of the others.
        do {
            if (!traiter(p.suivant()) || !p.lire(erreur_))
                return echec(erreur_);
            if (++pas == PasAnnulation) {
                pas = 0;
                if (annule_ && annule_->load(std::memory_order_relaxed))
                    return echec(QStringLiteral("lecture annulée"));
            }
        } while (!p.finie() && (file_.empty() || Cle(p.suivant().tick, i) < file_.top()));
        if (!p.finie())
            file_.push({p.suivant().tick, i});
        else if (enchainer_ && i + 1 < morceaux_.size() && !entrer(i + 1, p.dernierTick()))
            return echec(erreur_);
    }
    morceau_.dureeUs = horloge_.us();
    return {std::move(morceau_), QString()};
}
} // namespace

std::optional<QByteArrayView> deballerRmi(QByteArrayView fichier)
{
    if (fichier.size() < 12 || !egal4(fichier.data(), "RIFF") || !egal4(fichier.data() + 8, "RMID"))
        return std::nullopt;
    qint64 pos = 12;
    while (pos + 8 <= fichier.size()) {
        const quint32 annonce = qFromLittleEndian<quint32>(fichier.data() + pos + 4);
        const qint64 debut = pos + 8;
        if (egal4(fichier.data() + pos, "data"))
            return fichier.sliced(debut, qMin<qint64>(annonce, fichier.size() - debut));
        pos = debut + qint64(annonce) + (annonce & 1);
    }
    return std::nullopt;
}

ResultatMidi lireMidi(QByteArrayView fichier, const std::atomic_bool* annule)
{
    const char* base = fichier.data();
    const qint64 taille = fichier.size();
    if (taille < 14 || !egal4(base, "MThd"))
        return echec(QStringLiteral("pas un fichier MIDI"));
    const quint32 longueurEntete = qFromBigEndian<quint32>(base + 4);
    if (longueurEntete < 6 || 8 + qint64(longueurEntete) > taille)
        return echec(QStringLiteral("en-tête MIDI tronqué"));
    const quint16 format = qFromBigEndian<quint16>(base + 8);
    const quint16 nbPistes = qFromBigEndian<quint16>(base + 10);
    std::vector<Morceau> pistes;
    Fusion fusion(pistes, format == 2, qFromBigEndian<quint16>(base + 12), annule);
    if (format > 2 || nbPistes == 0 || !fusion.valide())
        return echec(QStringLiteral("en-tête MIDI invalide"));

    // The chunks first: a file cut short is refused before any event is stored.
    qint64 pos = 8 + longueurEntete;
    while (pistes.size() < nbPistes) {
        if (pos + 8 > taille)
            return echec(QStringLiteral("piste manquante ou tronquée"));
        const quint32 longueur = qFromBigEndian<quint32>(base + pos + 4);
        if (pos + 8 + qint64(longueur) > taille)
            return echec(QStringLiteral("piste tronquée"));
        if (egal4(base + pos, "MTrk"))
            pistes.push_back({base + pos + 8, longueur});
        pos += 8 + qint64(longueur);
    }
    return fusion.executer();
}
