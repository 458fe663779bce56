#pragma once
// Sound fixtures written by the tests themselves: WAVE files of a known length, standard
// MIDI files built event by event (with tempo changes), their RMI wrapping, and broken
// files.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <initializer_list>

namespace fixtures {

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray be16(quint16 v)
{
    QByteArray b(2, 0);
    qToBigEndian(v, b.data());
    return b;
}
inline QByteArray be32(quint32 v)
{
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

inline QByteArray octets(std::initializer_list<int> valeurs)
{
    QByteArray b;
    for (int v : valeurs)
        b += char(v);
    return b;
}

inline bool ecrire(const QString& chemin, const QByteArray& contenu)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size();
}

// Writes `contenu` as `nom` in `dossier` and returns its path; a fixture that cannot be
// written ends the test run.
inline QString ecrireDans(const QTemporaryDir& dossier, const QString& nom, const QByteArray& contenu)
{
    const QString chemin = dossier.filePath(nom);
    if (!ecrire(chemin, contenu))
        qFatal("fixture non écrite : %s", qPrintable(chemin));
    return chemin;
}

// PCM WAVE: 8-bit files hold silence (long fixtures stay small), 16-bit ones a tone of
// `ton` Hz at `amplitude` (0 to 1) on every channel.
inline QByteArray wav(int frequence, int canaux, int bits, qint64 trames, double ton = 440, double amplitude = 0.5)
{
    const int octets = bits / 8;
    QByteArray donnees(qsizetype(trames * canaux * octets), char(bits == 8 ? 0x80 : 0));
    if (bits == 16) {
        auto* p = reinterpret_cast<qint16*>(donnees.data());
        for (qint64 i = 0; i < trames; ++i) {
            const auto v = qint16(std::lround(32767 * amplitude * std::sin(2 * M_PI * ton * double(i) / frequence)));
            for (int c = 0; c < canaux; ++c)
                p[i * canaux + c] = qToLittleEndian(v);
        }
    }
    const quint16 bloc = quint16(canaux * octets);
    const QByteArray fmt = le16(1) + le16(quint16(canaux)) + le32(quint32(frequence)) + le32(quint32(frequence) * bloc)
                           + le16(bloc) + le16(quint16(bits));
    const QByteArray corps =
        "WAVE" + QByteArray("fmt ") + le32(16) + fmt + "data" + le32(quint32(donnees.size())) + donnees;
    return "RIFF" + le32(quint32(corps.size())) + corps;
}

// A track written event by event, each after a delta time in ticks.
class PisteMidi {
public:
    PisteMidi& evenement(quint32 delta, const QByteArray& octets)
    {
        octets_ += vlq(delta) + octets;
        return *this;
    }
    PisteMidi& tempo(quint32 delta, quint32 usParNoire)
    {
        return evenement(delta, QByteArray("\xFF\x51\x03", 3) + be32(usParNoire).mid(1));
    }
    PisteMidi& noteOn(quint32 delta, int canal, int note, int velocite = 100)
    {
        return evenement(delta, octets({0x90 | canal, note, velocite}));
    }
    PisteMidi& noteOff(quint32 delta, int canal, int note) { return evenement(delta, octets({0x80 | canal, note, 0})); }
    PisteMidi& programme(quint32 delta, int canal, int numero)
    {
        return evenement(delta, octets({0xC0 | canal, numero}));
    }
    PisteMidi& fin(quint32 delta = 0) { return evenement(delta, QByteArray("\xFF\x2F\x00", 3)); }
    QByteArray morceau() const { return "MTrk" + be32(quint32(octets_.size())) + octets_; }

    static QByteArray vlq(quint32 v)
    {
        QByteArray b(1, char(v & 0x7F));
        while (v >>= 7)
            b.prepend(char(0x80 | (v & 0x7F)));
        return b;
    }

private:
    QByteArray octets_;
};

inline QByteArray smf(int format, quint16 division, const QList<PisteMidi>& pistes)
{
    QByteArray f = "MThd" + be32(6) + be16(quint16(format)) + be16(quint16(pistes.size())) + be16(division);
    for (const PisteMidi& p : pistes)
        f += p.morceau();
    return f;
}

inline QByteArray rmi(const QByteArray& midi)
{
    QByteArray data = "data" + le32(quint32(midi.size())) + midi;
    if (midi.size() % 2)
        data += '\0';
    const QByteArray info = "LIST" + le32(12) + "INFOINAM" + le32(0);
    const QByteArray corps = "RMID" + data + info;
    return "RIFF" + le32(quint32(corps.size())) + corps;
}

// 59,999 ms exactly, through four tempos: 60 beats at 120 bpm (30 s), 100 at 240 (25 s),
// 4 at 60 (4 s), then one beat of 999 ms; a piano chord holds through.
inline QByteArray midiTempos()
{
    PisteMidi tempos;
    tempos.tempo(0, 500000).tempo(96 * 60, 250000).tempo(96 * 100, 1000000).tempo(96 * 4, 999000).fin(96);
    PisteMidi notes;
    notes.programme(0, 0, 0).noteOn(0, 0, 60).noteOn(0, 0, 64).noteOn(0, 0, 67);
    notes.noteOff(96 * 160, 0, 60).noteOff(0, 0, 64).noteOff(0, 0, 67).fin();
    return smf(1, 96, {tempos, notes});
}

// One note over `ms` milliseconds: one tick is one millisecond (1000 ticks a beat of 1 s).
inline QByteArray midiDuree(quint32 ms, int note = 69)
{
    PisteMidi p;
    p.tempo(0, 1000000).programme(0, 0, 0).noteOn(0, 0, note).noteOff(ms, 0, note).fin();
    return smf(0, 1000, {p});
}

// Cut inside its last track: the track announces more bytes than the file holds.
// `notes` note-ons at time 0 in running status (three bytes each), released a beat later:
// as dense a song as a file can hold.
inline QByteArray midiDense(int notes)
{
    QByteArray piste("\x00\x90\x3C\x40", 4);
    piste.reserve(3 * qsizetype(notes) + 16);
    for (int i = 1; i < notes; ++i)
        piste.append("\x00\x3C\x40", 3);
    piste.append("\x60\x80\x3C\x00\x00\xFF\x2F\x00", 8);
    return "MThd" + be32(6) + be16(0) + be16(1) + be16(96) + "MTrk" + be32(quint32(piste.size())) + piste;
}

// One track of the longest deltas (28 bits) at the slowest tempo, one tick a beat: one
// event is 142 years; from about 2050 events the microseconds overflow 64 bits.
inline QByteArray midiInterminable(int evenements, quint16 division = 1)
{
    PisteMidi p;
    p.tempo(0, 0xFFFFFF);
    for (int i = 0; i < evenements; ++i)
        p.programme(0x0FFFFFFF, 0, 1);
    p.fin();
    return smf(0, division, {p});
}

inline QByteArray midiTronque()
{
    const QByteArray complet = midiTempos();
    return complet.left(complet.size() - 6);
}

inline QByteArray niSonNiMidi()
{
    return QByteArray("Ceci n'est pas un son.\nJuste du texte, nommé .mid pour tromper.\n");
}

} // namespace fixtures
