// The music panel FondSons: CmdMusique opens and closes it; each of its
// entries hides it and runs the command of the same name on the main window's player.
#include "main_window/fenprin.h"

#include "app/general.h"
#include "app/services.h"
#include "app/skin.h"
#include "app/twips.h"
#include "main_window/controlesfenprin.h"
#include "sound/postesons.h"

namespace {
const QString TitrePanneau = QStringLiteral("Musique et sons");

// All at left 300, 3195 × 255 twips.
const struct {
    const char* nom;
    const char* texte;
    int haut;
    void (*commande)(PosteSons&);
} EntreesSons[] = {
    {"mnuChargerSon", "Charger un son (sans le jouer)", 60, [](PosteSons& s) { s.mnuChargerSon(); }},
    {"mnuJouerSon", "Jouer le son chargé", 300, [](PosteSons& s) { s.mnuJouerSon(); }},
    {"mnuChargerJouerSon", "Charger et jouer un son", 540, [](PosteSons& s) { s.mnuChargerJouerSon(); }},
    {"mnuDureeSon", "Durée du son", 780, [](PosteSons& s) { s.mnuDureeSon(); }},
    {"mnuRepetSon", "Répétition du son", 1020, [](PosteSons& s) { s.mnuRepetSon(); }},
    {"mnuArretSon", "Arrêter le son", 1260, [](PosteSons& s) { s.mnuArretSon(); }},
    {"mnuFerMnu", "Fermer le menu", 1620, nullptr},
};
} // namespace

void FenPrin::construireSons()
{
    // The entries fill the panel's width, so its caption runs up the left margin.
    FondSons = new PanneauOptions(this, QStringLiteral("FondSons"), TitrePanneau);
    twips::placer(FondSons, 3660, 3630, 3615, 2835);
    FondSons->hide();
    for (const auto& e : EntreesSons) {
        BoutonSkin* entree = entreeMenu(FondSons, e.nom, e.texte, 300, e.haut, 3195);
        connect(entree, &QAbstractButton::clicked, this, [this, commande = e.commande] {
            FondSons->hide();
            if (commande)
                commande(*sons_);
        });
        if (!e.commande) // "Fermer le menu"
            FondSons->setBoutonsClavier(nullptr, entree);
    }
    ligneSeparation(FondSons, QStringLiteral("Line5"), 300, 1560, 3180);

    sons_ = new PosteSons(QStringLiteral("Timer2"), this);
    sons_->choisirFichier = [this](const QString& titre, const QString& filtre) {
        return g.services.choisirFichierSon(this, titre, filtre);
    };
    sons_->montrerDuree = [this](const QString& texte) { afficherMessage(PosteSons::TitreDuree, texte, false, 22); };
    sons_->signaler = [this](const QString& texte) { afficherMessage(TitrePanneau, texte); };
}

void FenPrin::relierSons()
{
    connect(icones_[Icone::CmdMusique], &QAbstractButton::clicked, this, [this] { basculerSons(); });
}

void FenPrin::basculerSons()
{
    masquerPanneaux(true, false, true, true);
    if (FondSons->isHidden()) {
        twips::placer(FondSons, 3660, 3630, 3615, 1995);
        FondSons->show();
        FondSons->raise();
        // The sound module and the synthesiser load while the user picks a command.
        sons_->MCIWnd1().preparer();
    } else {
        FondSons->hide();
    }
}
