#include "dialogs/avertis.h"

#include "app/fenetreskin.h"
#include "app/general.h"
#include "core/tablereglages.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QPainter>
#include <QTextEdit>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>
#include <memory>

namespace {
constexpr double Largeur = 8055;
constexpr double Hauteur = 5175;

// A check box whose caption wraps on words inside its box.
class CocheRetour : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QRect indicateur = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
        opt.rect =
            QRect(indicateur.left(), (height() - indicateur.height()) / 2, indicateur.width(), indicateur.height());
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, this);
        p.setPen(palette().color(QPalette::WindowText));
        p.setFont(font());
        p.drawText(zoneTexte(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QRect zoneTexte() const
    {
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QRect indicateur = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
        return rect().adjusted(indicateur.right() + 4, 0, 0, 0);
    }
};

// The runs of spaces after the title and before the closing sentence are there to put
// what follows on a line of its own. Their width depends on the font's metrics and the
// box's margins, so they are widened here (the text itself is left as it is) to make
// sure they always do.
void elargirSeparateurs(QTextEdit* boite)
{
    static const QRegularExpression separateur(QStringLiteral("(?<=\\S) {15,}"));
    QTextCharFormat large;
    QFont police = boite->font();
    police.setLetterSpacing(QFont::AbsoluteSpacing, boite->width() / 10.0);
    large.setFont(police, QTextCharFormat::FontPropertiesSpecifiedOnly);
    const QString texte = boite->toPlainText();
    for (auto it = separateur.globalMatch(texte); it.hasNext();) {
        const auto m = it.next();
        QTextCursor c(boite->document());
        c.setPosition(int(m.capturedStart()));
        c.setPosition(int(m.capturedEnd()), QTextCursor::KeepAnchor);
        c.mergeCharFormat(large);
    }
}

} // namespace

// The whole text must be read at a glance, at its size and in bold. Times New Roman's
// metrics (and Liberation Serif's, made to match them) need a tenth line the box does not
// have; Palatino's shape (TeX Gyre Pagella, P052) is as narrow and its lines tighter. Any
// other serif family of the desktop comes next, before a scroll bar.
QStringList Avertis::famillesEssayees(const QStringList& installees)
{
    static const char* const preferees[] = {"Times New Roman", "TeX Gyre Pagella",  "P052",
                                            "URW Palladio L",  "Palatino Linotype", "Book Antiqua"};
    static const QRegularExpression serif(
        QStringLiteral("Serif|Roman|Times|Pagella|Palatino|Palladio|Antiqua|Termes|Bonum|Schola|Bookman|Century|"
                       "Garamond|Georgia|Libertin|Gentium|Charis|^C059$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression autres(QStringLiteral("Sans|Mono|Math"), QRegularExpression::CaseInsensitiveOption);
    // Qt names a family that several foundries make "P052 [urw]"; the family is enough.
    static const QRegularExpression fonderie(QStringLiteral(" \\[[^]]*\\]$"));
    QStringList noms;
    for (QString f : installees)
        if (!noms.contains(f.remove(fonderie)))
            noms << f;
    QStringList familles;
    for (const char* f : preferees)
        if (noms.contains(QLatin1String(f)))
            familles << QLatin1String(f);
    for (const QString& f : std::as_const(noms))
        if (!familles.contains(f) && serif.match(f).hasMatch() && !autres.match(f).hasMatch())
            familles << f;
    return familles;
}

// Measured on a copy laid out at the box's inner size: the box itself lays out only
// once shown. Some clones of Palatino (P052) declare lines half as tall again as the
// face needs: when no family fits at its own spacing, each is tried again with lines
// one em apart, Pagella's own spacing. When none fits even so, the one that overflows
// least is kept, with a scroll bar.
QString Avertis::choisirPolice(QTextEdit* boite, const QStringList& installees)
{
    const QSize interieur = boite->size() - 2 * QSize(boite->frameWidth(), boite->frameWidth());
    const auto poser = [boite](const QString& famille, bool serre) {
        QFont police(famille);
        police.setPointSizeF(15.75);
        police.setBold(true);
        boite->setFont(police);
        elargirSeparateurs(boite);
        QTextBlockFormat lignes;
        lignes.setLineHeight(serre ? QFontInfo(police).pixelSize() : 100,
                             serre ? QTextBlockFormat::FixedHeight : QTextBlockFormat::ProportionalHeight);
        QTextCursor tout(boite->document());
        tout.select(QTextCursor::Document);
        tout.mergeBlockFormat(lignes);
        return police;
    };
    const QStringList familles = famillesEssayees(installees);
    QString meilleure;
    bool meilleureSerree = false;
    qreal moindre = std::numeric_limits<qreal>::max();
    for (const bool serre : {false, true}) {
        for (const QString& famille : familles) {
            const QFont police = poser(famille, serre);
            std::unique_ptr<QTextDocument> essai(boite->document()->clone());
            essai->setDefaultFont(police);
            essai->setTextWidth(interieur.width());
            if (essai->size().height() <= interieur.height())
                return famille;
            if (essai->size().height() < moindre) {
                moindre = essai->size().height();
                meilleure = famille;
                meilleureSerree = serre;
            }
        }
    }
    if (!meilleure.isEmpty())
        poser(meilleure, meilleureSerree);
    return meilleure;
}

QString Avertis::texteBienvenue()
{
    const QString espaces16(16, QLatin1Char(' '));
    const QString espaces15(15, QLatin1Char(' '));
    const QString espaces38(38, QLatin1Char(' '));
    return espaces16 + QStringLiteral("BIENVENUE A ORMELLE") + espaces15
           + QStringLiteral(" Bien qu'il soit simple d'utilisation Ormelle, dans sa nouvelle version baptisée Ormelle, "
                            "s'est complexifié et il est recommandé (fortement recommandé ?) de lire le fichier d'aide "
                            "et notamment la rubrique 'Remarques et particularités'.")
           + espaces38
           + QStringLiteral("En espérant que ce logiciel vous apportera toute satisfaction, Talvenor vous souhaite une "
                            "bonne découverte...");
}

Avertis::Avertis(General& g, QWidget* parent) : QDialog(parent), g_(g)
{
    setObjectName(QStringLiteral("Avertis"));
    construire();
    g_.demarrage.avertissement = lireOui(g_.reglages, Reglage::Avertissement);
    coche1_->setChecked(g_.demarrage.avertissement);
    text1_->setPlainText(texteBienvenue());
    choisirPolice(text1_, QFontDatabase::families());
}

void Avertis::construire()
{
    General& g = g_;
    const QColor debut = g.couleur(Role::DebutDegrade);
    const QColor fin = g.couleur(Role::FinDegrade);
    preparerDialogueSkin(this, g, Largeur, Hauteur);

    creerTitre(this, g, QStringLiteral("BIENVENUE !"), 7755);
    creerFermer(this, g, 7755);
    creerBande(this, QStringLiteral("Forme1"), 0, 300, Largeur, 315, fin, debut);
    creerBande(this, QStringLiteral("Forme6"), 0, 4560, Largeur, 315, debut, fin);
    creerBande(this, QStringLiteral("Forme7"), 0, 4860, Largeur, 315, fin, debut);
    creerBande(this, QStringLiteral("Forme2"), 0, 600, 600, 2025, debut, fin);
    creerBande(this, QStringLiteral("Forme3"), 0, 2625, 600, 1950, fin, debut);
    creerBande(this, QStringLiteral("Forme4"), 7455, 600, 600, 2025, debut, fin);
    creerBande(this, QStringLiteral("Forme5"), 7455, 2625, 600, 1950, fin, debut);

    text1_ = new QTextEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    twips::placer(text1_, 600, 600, 6855, 3375);
    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QTextEdit::WidgetWidth);
    text1_->setWordWrapMode(QTextOption::WordWrap);
    // Scrolling stays possible for a font set where no family of ours fits.
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A margin close to a plain text box's, so that lines wrap where a reader expects.
    text1_->document()->setDocumentMargin(2);
    text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    peindreFondWidget(text1_, g.couleur(Role::Visualisation), g.couleur(Role::AutresTextes));

    coche1_ = new CocheRetour(QStringLiteral(" Afficher cette fenêtre à la prochaine  exécution d' Ormelle"), this);
    coche1_->setObjectName(QStringLiteral("Coche1"));
    twips::placer(coche1_, 660, 4050, 3975, 435);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(8.25);
    verdana.setBold(true);
    coche1_->setFont(verdana);
    peindreFondWidget(coche1_, g.couleur(Role::FondFenetres), g.couleur(Role::AutresTextes));
    connect(coche1_, &QCheckBox::clicked, this, [this](bool coche) {
        g_.demarrage.avertissement = coche;
        ecrireOui(g_.reglages, Reglage::Avertissement, coche);
    });

    auto* rem = creerBouton(this, QStringLiteral("CmdRem"), QStringLiteral("Remarques et particularités"), 4800, 4020,
                            2535, 510, debut, fin, g.couleur(Role::AutresTextes), g.couleur(Role::Lumiere));
    rem->setRetourLigne(true);
    connect(rem, &BoutonSkin::clicked, this, [this] {
        emit remarquesDemandees();
        accept();
    });
}
