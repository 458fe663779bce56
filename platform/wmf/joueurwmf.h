#pragma once
// Plays the records of a metafile onto an image, one record at a time.
#include "platform/wmf/contextewmf.h"
#include "platform/wmf/entetewmf.h"
#include "platform/wmf/octets.h"
#include "platform/dimensionsimage.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace wmf {

// Bounds that keep any file, however built, within a few seconds and a few
// hundred megabytes.
namespace limite {
constexpr qint64 Enregistrements = 4'000'000;
constexpr qint64 PixelsBitmap = 16ll << 20;         // one bitmap (and its mirrored copy)
constexpr qint64 PixelsBitmapFichier = 256ll << 20; // all bitmaps of a file
constexpr qint64 PointsFichier = 20'000'000;
constexpr int PileContextes = 1024;
constexpr int RectanglesRegion = 4096;
constexpr int RectanglesClip = 20000;
} // namespace limite

class JoueurWmf {
public:
    JoueurWmf(const QByteArray& donnees, const Entete& entete, QImage* cible, const dimensions::Budget& budget,
              const std::atomic<bool>* annulation = nullptr);
    ~JoueurWmf();

    // Plays every record; returns the French text of the fault that stopped
    // playback early, or an empty string.
    QString jouer();
    // Whether anything reached the picture before playback stopped.
    bool aDessine() const { return m_dessins > 0; }
    bool budgetAtteint() const { return m_budgetAtteint; }
    bool annule() const { return m_annule; }
    qint64 travail() const { return m_travail; }
    qint64 octetsObjetsMax() const { return m_octetsObjetsMax; }

private:
    void jouerEnregistrement(quint16 fonction, Octets p);
    bool jouerEtat(quint16 fonction, Octets& p);
    bool jouerRepere(quint16 fonction, Octets& p);
    bool jouerObjet(quint16 fonction, Octets& p);
    bool jouerForme(quint16 fonction, Octets& p);
    bool jouerClip(quint16 fonction, Octets& p);
    bool jouerTexte(quint16 fonction, Octets& p);
    bool jouerImage(quint16 fonction, Octets& p);

    // Object table
    int placeLibre() const;
    void creer(std::unique_ptr<Objet> objet);
    void liberer(int index);
    void marquer(int index, bool libre);
    // What a new object may weigh beyond its bare record, leaving room for one in
    // every free slot: the table's own size never passes the budget.
    qint64 resteObjets() const
    {
        const qint64 places = qint64(m_objets.size()) - m_vivants;
        return m_budget.octetsObjetsWmf - m_octetsObjets - places * qint64(sizeof(Objet));
    }

    // Work: false (and playback stops) when `cout` would pass the budget.
    bool payer(qint64 cout);
    qint64 aireVisible(const QRectF& appareil) const;
    void selectionner(int index);
    const Objet* objet(int index, Objet::Genre genre) const;

    // Mapping and state
    void majTransfo();
    void appliquerClip();
    void restaurer(int n);
    void peindreRegion(quint16 fonction, Octets& p);
    QColor couleur(quint32 ref) const;

    // Shapes (formeswmf.cpp)
    void dessiner(const QPainterPath& chemin, bool remplir);
    qint64 coutTrace(const QPainterPath& chemin, const QPen& pen, bool avecFond) const;
    // Cells the rasterizer steps through to fill `chemin`, or its outline `marge` wide,
    // along edges that cross the picture: in all, and on the picture.
    struct Pas {
        qreal total = 0, visibles = 0;
    };
    Pas pasParcourus(const QPainterPath& chemin, qreal marge) const;
    void remplir(const QPainterPath& chemin, const Brosse& brosse);
    QPen stylo() const;
    QBrush pinceau(const Brosse& brosse) const;
    void preparerRop();
    QPainterPath arc(QRectF boite, QPointF debut, QPointF fin, int genre) const;
    bool polyPolygone(Octets& p);
    QRegion lireRegion(Octets& p);

    // Text (textewmf.cpp)
    void texte(QPointF pos, const QByteArray& octets, const QVector<int>& dx, int options, const QRectF& rect);

    // Pictures (imageswmf.cpp)
    void blit(const QRectF& dest, const QImage& source, QRectF srcRect, quint32 rop);
    void blitMotif(const QRectF& dest, quint32 rop);
    QImage lireBitmap16(Octets& p, qint64 pixelsMax = limite::PixelsBitmap) const;

    const QByteArray& m_donnees;
    Entete m_entete;
    QImage* m_cible;
    QPainter m_peintre;
    Contexte m_dc;
    std::vector<Contexte> m_pile;
    std::vector<std::unique_ptr<Objet>> m_objets;
    std::vector<qint64> m_tailleObjets;
    // Free slots as bits (1 = free), and a summary bit per word that has one: the
    // lowest free slot of a 65,535-entry table is found in at most 17 word reads.
    std::array<quint64, 1024> m_libres{};
    std::array<quint64, 16> m_resumeLibres{};
    dimensions::Budget m_budget;
    const std::atomic<bool>* m_annulation;
    bool m_annule = false;
    qint64 m_octetsObjets = 0;
    qint64 m_vivants = 0;
    qint64 m_octetsObjetsMax = 0;
    qint64 m_travail = 0;
    bool m_budgetAtteint = false;
    QVector<QRgb> m_palette;
    QTransform m_transfo;
    qint64 m_dessins = 0;
    qint64 m_pixelsImages = 0; // bitmap pixels decoded so far, bounded per file
    qint64 m_points = 0;       // path points drawn so far, bounded per file
};

} // namespace wmf
