#include "platform/profilicc.h"

#include "platform/inflation.h"

#include <QIODevice>
#include <QtEndian>

#include <map>

namespace profilicc {

namespace {

// Bytes at `pos`, fewer at the end of the file.
QByteArray lireA(QIODevice& a, qint64 pos, qint64 n)
{
    if (pos < 0 || n < 0 || !a.seek(pos))
        return {};
    return a.read(n);
}

quint32 grand32(const QByteArray& b, int i)
{
    return qFromBigEndian<quint32>(b.constData() + i);
}
quint16 grand16(const QByteArray& b, int i)
{
    return qFromBigEndian<quint16>(b.constData() + i);
}

// Puts the device back where the caller had it, whatever path the reader took.
class GardePosition {
public:
    explicit GardePosition(QIODevice& a) : a_(a), pos_(a.pos()) {}
    ~GardePosition() { a_.seek(pos_); }
    GardePosition(const GardePosition&) = delete;
    GardePosition& operator=(const GardePosition&) = delete;

private:
    QIODevice& a_;
    qint64 pos_;
};

// The profile's pieces, numbered from 1, make a whole only when none is missing.
QByteArray assembler(const std::map<int, QByteArray>& morceaux, int nombre)
{
    if (nombre <= 0 || int(morceaux.size()) != nombre || morceaux.begin()->first != 1
        || morceaux.rbegin()->first != nombre)
        return {};
    QByteArray profil;
    for (const auto& [numero, morceau] : morceaux)
        profil += morceau;
    return profil;
}

bool estSof(int marqueur)
{
    return marqueur >= 0xC0 && marqueur <= 0xCF && marqueur != 0xC4 && marqueur != 0xC8 && marqueur != 0xCC;
}

} // namespace

QByteArray lireJpeg(QIODevice& a, bool* cmjn)
{
    GardePosition garde(a);
    if (lireA(a, 0, 2) != QByteArray("\xFF\xD8", 2))
        return {};
    std::map<int, QByteArray> morceaux;
    int nombre = 0;
    qint64 total = 0;
    qint64 pos = 2;
    for (int n = 0; n < 4096; ++n) {
        const QByteArray m = lireA(a, pos, 4);
        if (m.size() < 2 || quint8(m[0]) != 0xFF)
            break;
        const int marqueur = quint8(m[1]);
        if (marqueur == 0xFF || marqueur == 0xD8 || marqueur == 0x01 || (marqueur >= 0xD0 && marqueur <= 0xD7)) {
            pos += marqueur == 0xFF ? 1 : 2; // fill byte, or a marker without a segment
            continue;
        }
        if (m.size() < 4 || marqueur == 0xDA || marqueur == 0xD9)
            break;
        const int longueur = grand16(m, 2);
        if (longueur < 2)
            break;
        if (marqueur == 0xE2 && longueur >= 16) {
            const QByteArray s = lireA(a, pos + 4, longueur - 2);
            if (s.startsWith(QByteArray("ICC_PROFILE\0", 12)) && s.size() >= 14 && total < TailleMax) {
                nombre = quint8(s[13]);
                morceaux[quint8(s[12])] = s.mid(14);
                total += s.size() - 14;
            }
        } else if (estSof(marqueur) && cmjn) {
            const QByteArray f = lireA(a, pos + 4, 6);
            *cmjn = f.size() == 6 && quint8(f[5]) == 4;
        }
        pos += 2 + longueur;
    }
    return total > TailleMax ? QByteArray() : assembler(morceaux, nombre);
}

QByteArray lirePng(QIODevice& a)
{
    GardePosition garde(a);
    if (lireA(a, 0, 8) != QByteArray("\x89PNG\r\n\x1A\n", 8))
        return {};
    qint64 pos = 8;
    for (int n = 0; n < 4096; ++n) {
        const QByteArray entete = lireA(a, pos, 8);
        if (entete.size() < 8)
            break;
        const quint32 longueur = grand32(entete, 0);
        const QByteArray type = entete.mid(4);
        if (type == "IDAT" || type == "IEND" || longueur > 0x7FFFFFFF)
            break;
        if (type == "iCCP") {
            if (longueur > TailleMax)
                return {};
            const QByteArray d = lireA(a, pos + 8, longueur);
            const int fin = d.indexOf('\0');
            // A name of 1 to 79 bytes, then compression method 0 (zlib).
            if (fin < 1 || fin > 79 || d.size() < fin + 2 || d[fin + 1] != 0)
                return {};
            QByteArray profil;
            return inflerBorne(d.mid(fin + 2), TailleMax, &profil) ? profil : QByteArray();
        }
        pos += 12 + qint64(longueur);
    }
    return {};
}

QByteArray lireWebp(QIODevice& a)
{
    GardePosition garde(a);
    const QByteArray riff = lireA(a, 0, 12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8) != "WEBP")
        return {};
    qint64 pos = 12;
    for (int n = 0; n < 4096; ++n) {
        const QByteArray entete = lireA(a, pos, 8);
        if (entete.size() < 8)
            break;
        const QByteArray type = entete.left(4);
        const quint32 taille = qFromLittleEndian<quint32>(entete.constData() + 4);
        // The profile comes before any picture data.
        if (type == "VP8 " || type == "VP8L" || type == "ANIM" || type == "ANMF")
            break;
        if (type == "ICCP")
            return taille <= TailleMax ? lireA(a, pos + 8, taille) : QByteArray();
        pos += 8 + qint64(taille) + (taille & 1);
    }
    return {};
}

QByteArray lireTiff(QIODevice& a)
{
    GardePosition garde(a);
    const QByteArray tete = lireA(a, 0, 8);
    const bool petit = tete.startsWith(QByteArray("II*\0", 4));
    if (tete.size() < 8 || (!petit && !tete.startsWith(QByteArray("MM\0*", 4))))
        return {};
    auto l32 = [petit](const QByteArray& b, int i) {
        return petit ? qFromLittleEndian<quint32>(b.constData() + i) : qFromBigEndian<quint32>(b.constData() + i);
    };
    auto l16 = [petit](const QByteArray& b, int i) {
        return petit ? qFromLittleEndian<quint16>(b.constData() + i) : qFromBigEndian<quint16>(b.constData() + i);
    };
    const qint64 repertoire = l32(tete, 4);
    const QByteArray compte = lireA(a, repertoire, 2);
    if (compte.size() < 2)
        return {};
    const QByteArray entrees = lireA(a, repertoire + 2, qint64(l16(compte, 0)) * 12);
    for (int i = 0; i + 12 <= entrees.size(); i += 12) {
        const quint16 type = l16(entrees, i + 2);
        if (l16(entrees, i) != 34675 || (type != 1 && type != 7))
            continue;
        const quint32 taille = l32(entrees, i + 4);
        if (taille > TailleMax)
            return {};
        return taille <= 4 ? entrees.mid(i + 8, taille) : lireA(a, l32(entrees, i + 8), taille);
    }
    return {};
}

InfoCouleurs lire(QIODevice& a)
{
    InfoCouleurs info;
    const QByteArray debut = a.peek(4);
    if (debut.startsWith("\xFF\xD8"))
        info.icc = lireJpeg(a, &info.cmjn);
    else if (debut.startsWith("\x89PNG"))
        info.icc = lirePng(a);
    else if (debut.startsWith("RIFF"))
        info.icc = lireWebp(a);
    else if (debut.startsWith("II") || debut.startsWith("MM"))
        info.icc = lireTiff(a);
    return info;
}

} // namespace profilicc
