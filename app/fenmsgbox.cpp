#include "app/fenmsgbox.h"
#include "app/fenetreskin.h"

#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"

#include <QLabel>

namespace {
constexpr double Largeur = 6000;
constexpr double Hauteur = 1995;

const QString TitreParDefaut = QStringLiteral("Confirmation");
const QString TexteParDefaut = QStringLiteral("Aucune question n’a été transmise...");

struct IconeMessage {
    const char* nom; // its picture control
    const char* ressource;
    int cue;
};
constexpr IconeMessage Icones[] = {
    {"PicArret", ":/icones/arret.svg", 20},
    {"PicExclam", ":/icones/exclam.svg", 21},
    {"PicInfo", ":/icones/info.svg", 22},
    {"PicQuest", ":/icones/quest.svg", 23},
};

const IconeMessage* icone(int n)
{
    return n >= 1 && n <= 4 ? &Icones[n - 1] : nullptr;
}

constexpr int CoteIcone = 32;
} // namespace

FenMsgBox::FenMsgBox(General& g, QWidget* parent, int genre) : QDialog(parent), g_(g), icone_(genre)
{
    setObjectName(QStringLiteral("FenMsgBox"));
    preparerDialogueSkin(this, g, Largeur, Hauteur);

    fondMessage_ = new PanneauSkin(this, QStringLiteral("FondMessage"));
    twips::placer(fondMessage_, 0, 0, Largeur, Hauteur);
    fondMessage_->setDegrade(g.couleur(Role::DebutDegrade), g.couleur(Role::FinDegrade));
    fondMessage_->setCouleurTexte(g.couleur(Role::AutresTextes));

    lblMessage_ = new QLabel(fondMessage_);
    lblMessage_->setObjectName(QStringLiteral("LblMessage"));
    twips::placer(lblMessage_, 780, 360, 5025, 975);
    lblMessage_->setWordWrap(true);
    lblMessage_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont police = lblMessage_->font();
    police.setFamily(QStringLiteral("Verdana"));
    police.setPointSizeF(8.25);
    police.setBold(true);
    lblMessage_->setFont(police);
    peindreLibelle(lblMessage_, g.couleur(Role::AutresTextes));

    icoMsg_ = new QLabel(fondMessage_);
    icoMsg_->setObjectName(QStringLiteral("IcoMsg"));
    // Left of the text, centred on the text's height.
    icoMsg_->setGeometry(twips::px(780) / 2 - CoteIcone / 2, twips::px(360 + 975 / 2) - CoteIcone / 2, CoteIcone,
                         CoteIcone);

    // The four pictures stay hidden; the chosen one is copied into IcoMsg.
    for (std::size_t n = 0; n < std::size(Icones); ++n) {
        auto* pic = pics_[n] = new QLabel(this);
        pic->setObjectName(QString::fromLatin1(Icones[n].nom));
        pic->setPixmap(QIcon(QString::fromLatin1(Icones[n].ressource)).pixmap(CoteIcone, CoteIcone));
        pic->hide();
    }

    const QString reponses[] = {QStringLiteral("Oui"), QStringLiteral("Non")};
    const double gauches[] = {1860, 3120};
    BoutonSkin* boutons[2];
    for (int i = 0; i < 2; ++i) {
        auto* b = boutons[i] = new BoutonSkin(fondMessage_, QStringLiteral("CmdReponse%1").arg(i), reponses[i]);
        twips::placer(b, gauches[i], 1380, 1035, 495);
        b->setCouleurTexte(g.couleur(Role::AutresTextes));
        b->setCouleurLumiere(g.couleur(Role::Lumiere));
        b->setProperty("index", i);
        const QString tag = i == 0 ? QStringLiteral("-1") : QStringLiteral("0");
        connect(b, &BoutonSkin::clicked, this, [this, tag] { repondre(tag); });
    }
    fondMessage_->setBoutonsClavier(boutons[0], boutons[1]);

    if (const IconeMessage* choisie = icone(icone_))
        icoMsg_->setPixmap(pics_[choisie - Icones]->pixmap());
}

void FenMsgBox::jouerCue()
{
    if (const IconeMessage* choisie = icone(icone_))
        g_.services.jouerSon(choisie->cue);
}

QString FenMsgBox::ressourceIcone(int n)
{
    const IconeMessage* i = icone(n);
    return i ? QString::fromLatin1(i->ressource) : QString();
}

int FenMsgBox::cueIcone(int n)
{
    const IconeMessage* i = icone(n);
    return i ? i->cue : 0;
}

void FenMsgBox::setTitre(const QString& titre)
{
    fondMessage_->setTitre(titre.isEmpty() ? TitreParDefaut : titre);
}

void FenMsgBox::setTexte(const QString& texte)
{
    lblMessage_->setText(texte.isEmpty() ? TexteParDefaut : texte);
}

void FenMsgBox::repondre(const QString& tag)
{
    tag_ = tag;
    // Hiding ends the modal wait of afficherBoiteMessage.
    hide();
}

int afficherBoiteMessage(General& g, QWidget* parent, int icone, const QString& texte, const QString& titre)
{
    FenMsgBox boite(g, parent, icone);
    boite.setTitre(titre);
    boite.setTexte(texte);
    // At the moment the box appears, not while it is being built.
    boite.jouerCue();
    boite.exec();
    return boite.tag().toInt();
}

int ServicesBureau::boiteMessage(General& g, QWidget* parent, int icone, const QString& texte, const QString& titre)
{
    return afficherBoiteMessage(g, parent, icone, texte, titre);
}

// ---------------------------------------------------------------- skinned dialogs
