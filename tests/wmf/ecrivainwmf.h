#pragma once
// Writes small metafiles record by record, for the tests and the fuzzer's seeds.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QVector>

namespace wmftest {

class EcrivainWmf {
public:
    // With a box, the file opens with a placeable header.
    void placeable(const QRect& boite, int unitesParPouce);
    void nbObjets(int n) { m_nbObjets = n; }

    // One record: function and 16-bit parameters, in file order.
    EcrivainWmf& enregistrement(quint16 fonction, const QVector<qint16>& params);
    // One record with raw parameter bytes, and an explicit size in words when given.
    EcrivainWmf& brut(quint16 fonction, const QByteArray& params, qint64 tailleMots = -1);

    EcrivainWmf& fenetre(QPoint org, QPoint ext);
    EcrivainWmf& modeMap(int mode);
    EcrivainWmf& plume(int style, int largeur, QColor c);
    EcrivainWmf& brosse(int style, QColor c, int hachure = 0);
    EcrivainWmf& police(int hauteur, const QByteArray& nom, int graisse = 400);
    EcrivainWmf& selectionner(int index);
    EcrivainWmf& supprimer(int index);
    EcrivainWmf& rectangle(const QRect& r);
    EcrivainWmf& ellipse(const QRect& r);
    EcrivainWmf& polygone(const QVector<QPoint>& points);
    EcrivainWmf& modeRemplissage(int mode);
    EcrivainWmf& texte(QPoint pos, const QByteArray& octets);
    EcrivainWmf& alignTexte(int align);
    EcrivainWmf& couleurTexte(QColor c);
    EcrivainWmf& modeFond(int mode);
    EcrivainWmf& sauverDc();
    EcrivainWmf& restaurerDc(int n);
    // StretchDIBits of a 24-bit bitmap built from `image`.
    EcrivainWmf& stretchDib(const QRect& dest, const QImage& image);
    EcrivainWmf& fin();

    QByteArray octets() const;

    static QByteArray dib24(const QImage& image);
    static QByteArray couleur(QColor c);

private:
    QByteArray m_placeable;
    QByteArray m_enregistrements;
    int m_nbObjets = 16;
    quint32 m_plusLong = 0;
};

} // namespace wmftest
