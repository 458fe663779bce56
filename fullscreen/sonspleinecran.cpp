#include "fullscreen/sonspleinecran.h"

#include "app/general.h"
#include "app/services.h"
#include "fullscreen/pleinecran.h"
#include "sound/postesons.h"

MusiquePleinEcran::MusiquePleinEcran(General& g, PleinEcran& vue)
    : QObject(&vue), sons_(new PosteSons(QStringLiteral("Timer1"), this))
{
    // A cancel is a cancel, as in the main window: the current sound goes on (the menu
    // must not close it and open again the last name its dialog held).
    sons_->choisirFichier = [&g, &vue](const QString& titre, const QString& filtre) {
        return g.services.choisirFichierSon(&vue, titre, filtre);
    };
    sons_->montrerDuree = [&vue](const QString& texte) {
        vue.afficherMessage(PosteSons::TitreDuree, texte, false, 22);
    };
    sons_->signaler = [&vue](const QString& texte) {
        vue.afficherMessage(QStringLiteral("Musique et sons"), texte, true, 21);
    };
}

void MusiquePleinEcran::chargerSon()
{
    sons_->mnuChargerSon();
}
void MusiquePleinEcran::jouerSon()
{
    sons_->mnuJouerSon();
}
void MusiquePleinEcran::chargerJouerSon()
{
    sons_->mnuChargerJouerSon();
}
void MusiquePleinEcran::dureeSon()
{
    sons_->mnuDureeSon();
}
void MusiquePleinEcran::repeterSon()
{
    sons_->mnuRepetSon();
}
void MusiquePleinEcran::arreterSon()
{
    sons_->mnuArretSon();
}
bool MusiquePleinEcran::sonCharge() const
{
    return sons_->MCIWnd1().Mode() != LecteurMci::ModeFerme;
}
bool MusiquePleinEcran::repetition() const
{
    return sons_->RepetitionSon();
}

void MusiquePleinEcran::preparer()
{
    sons_->MCIWnd1().preparer();
}
