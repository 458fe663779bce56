#include "fullscreen/sonspleinecran.h"

#include "app/general.h"
#include "app/services.h"
#include "fullscreen/pleinecran.h"
#include "sound/postesons.h"

PosteSons* creerSonsPleinEcran(General& g, PleinEcran& vue, QObject* proprietaire)
{
    auto* sons = new PosteSons(QStringLiteral("Timer1"), proprietaire);
    // A cancel is a cancel, as in the main window: the current sound goes on (the menu
    // must not close it and open again the last name its dialog held).
    sons->choisirFichier = [&g, &vue](const QString& titre, const QString& filtre) {
        return g.services.choisirFichierSon(&vue, titre, filtre);
    };
    sons->montrerDuree = [&vue](const QString& texte) { vue.afficherMessage(PosteSons::TitreDuree, texte, false, 22); };
    sons->signaler = [&vue](const QString& texte) {
        vue.afficherMessage(QStringLiteral("Musique et sons"), texte, true, 21);
    };
    return sons;
}
