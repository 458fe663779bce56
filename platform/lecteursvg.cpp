#include "platform/lecteursvg.h"

#include "platform/inflation.h"
#include "platform/outilschargeur.h"
#include "platform/rendusvg.h"

#include <QFileInfo>
#include <QXmlStreamReader>

using chargeur::echec;

namespace {

// The drawing's text, inflated when compressed, within the budget; empty with `erreur` otherwise.
QByteArray lireSvg(QFile& fichier, const dimensions::Budget& budget, QString* erreur)
{
    QByteArray octets;
    if (fichier.size() > budget.octetsDecompresses) {
        *erreur = texteImageTropComplexe();
        return {};
    }
    if (!chargeur::lireTout(fichier, &octets, erreur))
        return {};
    if (!octets.startsWith("\x1F\x8B"))
        return octets;
    QByteArray texte;
    if (!inflerBorne(octets, budget.octetsDecompresses, &texte)) {
        *erreur = texte.size() > budget.octetsDecompresses ? texteImageTropComplexe()
                                                           : QStringLiteral("Image endommagée ou illisible");
        return {};
    }
    return texte;
}

// A length of the root element in pixels, as Qt's SVG renderer takes it.
double longueurSvg(QStringView v)
{
    // Qt's renderer counts 90 pixels an inch, as SVG 1.1 viewers did.
    static const struct {
        const char* unite;
        double px;
    } unites[] = {{"px", 1}, {"pt", 1.25}, {"pc", 15}, {"mm", 90 / 25.4}, {"cm", 90 / 2.54}, {"in", 90}};
    for (const auto& u : unites)
        if (v.endsWith(QLatin1String(u.unite)))
            return v.chopped(2).toDouble() * u.px;
    return v.endsWith(u'%') ? 0 : v.toDouble();
}

// The natural size from the root element alone, without building the drawing.
QSize tailleTexte(const QByteArray& texte)
{
    QXmlStreamReader xml(texte);
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QList<QStringView> vue = a.value(QLatin1String("viewBox")).split(u' ', Qt::SkipEmptyParts);
        double w = longueurSvg(a.value(QLatin1String("width")).trimmed());
        double h = longueurSvg(a.value(QLatin1String("height")).trimmed());
        if ((w <= 0 || h <= 0) && vue.size() == 4) {
            w = vue[2].toDouble();
            h = vue[3].toDouble();
        }
        return w >= 1 && h >= 1 && w < 1e6 && h < 1e6 ? QSize(qRound(w), qRound(h)) : QSize();
    }
    return {};
}

} // namespace

namespace lecteursvg {

bool nomDessin(const QString& chemin)
{
    const QString suffixe = QFileInfo(chemin).suffix().toLower();
    return suffixe == u"svg" || suffixe == u"svgz";
}

ResultatImage charger(QFile& fichier, const QSize& cible, const QColor& fond, const dimensions::Budget& budget,
                      const std::atomic<bool>* annulation)
{
    QString erreur;
    QByteArray texte = lireSvg(fichier, budget, &erreur);
    if (texte.isEmpty())
        return echec(erreur.isEmpty() ? QStringLiteral("Image endommagée ou illisible") : erreur);
    return rendusvg::rendre(std::move(texte), cible, fond, budget, annulation);
}

QSize taille(QFile& fichier)
{
    QString erreur;
    return tailleTexte(lireSvg(fichier, dimensions::budgetPour({}), &erreur));
}

} // namespace lecteursvg
