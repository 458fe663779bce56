#include "ecrivainwmf.h"

#include <QtEndian>

namespace wmftest {

namespace {

void ajouter16(QByteArray& o, int v)
{
    o.append(char(v & 0xFF));
    o.append(char((v >> 8) & 0xFF));
}

void ajouter32(QByteArray& o, quint32 v)
{
    ajouter16(o, int(v & 0xFFFF));
    ajouter16(o, int(v >> 16));
}

} // namespace

void EcrivainWmf::placeable(const QRect& b, int upi)
{
    m_placeable.clear();
    ajouter32(m_placeable, 0x9AC6CDD7u);
    ajouter16(m_placeable, 0);
    for (const int v : {b.left(), b.top(), b.left() + b.width(), b.top() + b.height(), upi})
        ajouter16(m_placeable, v);
    ajouter32(m_placeable, 0);
    quint16 somme = 0;
    for (int i = 0; i < 20; i += 2)
        somme ^= quint16(uchar(m_placeable[i]) | (uchar(m_placeable[i + 1]) << 8));
    ajouter16(m_placeable, somme);
}

EcrivainWmf& EcrivainWmf::brut(quint16 fonction, const QByteArray& params, qint64 tailleMots)
{
    QByteArray p = params;
    if (p.size() % 2)
        p.append('\0');
    const quint32 mots = tailleMots >= 0 ? quint32(tailleMots) : quint32(3 + p.size() / 2);
    ajouter32(m_enregistrements, mots);
    ajouter16(m_enregistrements, fonction);
    m_enregistrements.append(p);
    m_plusLong = qMax(m_plusLong, mots);
    return *this;
}

EcrivainWmf& EcrivainWmf::enregistrement(quint16 fonction, const QVector<qint16>& params)
{
    QByteArray p;
    for (const qint16 v : params)
        ajouter16(p, v);
    return brut(fonction, p);
}

QByteArray EcrivainWmf::couleur(QColor c)
{
    QByteArray o;
    o.append(char(c.red()));
    o.append(char(c.green()));
    o.append(char(c.blue()));
    o.append('\0');
    return o;
}

EcrivainWmf& EcrivainWmf::fenetre(QPoint org, QPoint ext)
{
    enregistrement(0x020B, {qint16(org.y()), qint16(org.x())});
    return enregistrement(0x020C, {qint16(ext.y()), qint16(ext.x())});
}

EcrivainWmf& EcrivainWmf::modeMap(int mode)
{
    return enregistrement(0x0103, {qint16(mode)});
}

EcrivainWmf& EcrivainWmf::plume(int style, int largeur, QColor c)
{
    QByteArray p;
    ajouter16(p, style);
    ajouter16(p, largeur);
    ajouter16(p, 0);
    p.append(couleur(c));
    return brut(0x02FA, p);
}

EcrivainWmf& EcrivainWmf::brosse(int style, QColor c, int hachure)
{
    QByteArray p;
    ajouter16(p, style);
    p.append(couleur(c));
    ajouter16(p, hachure);
    return brut(0x02FC, p);
}

EcrivainWmf& EcrivainWmf::police(int hauteur, const QByteArray& nom, int graisse)
{
    QByteArray p;
    for (const int v : {hauteur, 0, 0, 0, graisse})
        ajouter16(p, v);
    p.append(QByteArray(8, '\0')); // italic … pitch and family, ANSI
    p.append(nom.left(31));
    p.append(QByteArray(32 - qMin(31, int(nom.size())), '\0'));
    return brut(0x02FB, p);
}

EcrivainWmf& EcrivainWmf::selectionner(int i)
{
    return enregistrement(0x012D, {qint16(i)});
}
EcrivainWmf& EcrivainWmf::supprimer(int i)
{
    return enregistrement(0x01F0, {qint16(i)});
}

EcrivainWmf& EcrivainWmf::rectangle(const QRect& r)
{
    return enregistrement(
        0x041B, {qint16(r.top() + r.height()), qint16(r.left() + r.width()), qint16(r.top()), qint16(r.left())});
}

EcrivainWmf& EcrivainWmf::ellipse(const QRect& r)
{
    return enregistrement(
        0x0418, {qint16(r.top() + r.height()), qint16(r.left() + r.width()), qint16(r.top()), qint16(r.left())});
}

EcrivainWmf& EcrivainWmf::polygone(const QVector<QPoint>& points)
{
    QVector<qint16> p{qint16(points.size())};
    for (const QPoint& pt : points)
        p << qint16(pt.x()) << qint16(pt.y());
    return enregistrement(0x0324, p);
}

EcrivainWmf& EcrivainWmf::modeRemplissage(int mode)
{
    return enregistrement(0x0106, {qint16(mode)});
}
EcrivainWmf& EcrivainWmf::alignTexte(int align)
{
    return enregistrement(0x012E, {qint16(align), 0});
}
EcrivainWmf& EcrivainWmf::couleurTexte(QColor c)
{
    return brut(0x0209, couleur(c));
}
EcrivainWmf& EcrivainWmf::modeFond(int mode)
{
    return enregistrement(0x0102, {qint16(mode), 0});
}

EcrivainWmf& EcrivainWmf::texte(QPoint pos, const QByteArray& octets)
{
    QByteArray p;
    ajouter16(p, int(octets.size()));
    p.append(octets);
    if (octets.size() % 2)
        p.append('\0');
    ajouter16(p, pos.y());
    ajouter16(p, pos.x());
    return brut(0x0521, p);
}

EcrivainWmf& EcrivainWmf::sauverDc()
{
    return enregistrement(0x001E, {});
}
EcrivainWmf& EcrivainWmf::restaurerDc(int n)
{
    return enregistrement(0x0127, {qint16(n)});
}

QByteArray EcrivainWmf::dib24(const QImage& image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int pas = (img.width() * 3 + 3) & ~3;
    QByteArray o;
    ajouter32(o, 40);
    ajouter32(o, quint32(img.width()));
    ajouter32(o, quint32(img.height()));
    ajouter16(o, 1);
    ajouter16(o, 24);
    for (int i = 0; i < 6; ++i)
        ajouter32(o, i == 1 ? quint32(pas * img.height()) : 0);
    for (int y = img.height() - 1; y >= 0; --y) {
        const QRgb* l = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        QByteArray ligne;
        for (int x = 0; x < img.width(); ++x) {
            ligne.append(char(qBlue(l[x])));
            ligne.append(char(qGreen(l[x])));
            ligne.append(char(qRed(l[x])));
        }
        ligne.append(QByteArray(pas - ligne.size(), '\0'));
        o.append(ligne);
    }
    return o;
}

EcrivainWmf& EcrivainWmf::stretchDib(const QRect& dest, const QImage& image)
{
    QByteArray p;
    ajouter32(p, 0x00CC0020); // SRCCOPY
    for (const int v : {0, image.height(), image.width(), 0, 0, dest.height(), dest.width(), dest.top(), dest.left()})
        ajouter16(p, v);
    p.append(dib24(image));
    return brut(0x0F43, p);
}

EcrivainWmf& EcrivainWmf::fin()
{
    return brut(0x0000, {});
}

QByteArray EcrivainWmf::octets() const
{
    QByteArray o = m_placeable;
    ajouter16(o, 1);
    ajouter16(o, 9);
    ajouter16(o, 0x0300);
    ajouter32(o, quint32(9 + m_enregistrements.size() / 2));
    ajouter16(o, m_nbObjets);
    ajouter32(o, m_plusLong);
    ajouter16(o, 0);
    return o + m_enregistrements;
}

} // namespace wmftest
