// What the format panel's choices do to the folder, and CmdTypExt's two actions.
#include "main_window/navigateur.h"

#include "app/general.h"
#include "app/services.h"
#include "main_window/panneauformats.h"

#include <QListView>

void Navigateur::construirePanneauFormats()
{
    fondTypExt_ = new PanneauFormats(g_, fenetre_);
    connect(fondTypExt_, &PanneauFormats::formatChoisi, this, &Navigateur::choisirFormat);
    connect(fondTypExt_, &PanneauFormats::autreDemande, this, &Navigateur::choisirAutre);
}

void Navigateur::basculerPanneauFormats()
{
    emit masquerPanneaux(true, true, false, true);
    fondTypExt_->basculer();
}

void Navigateur::montrerPanneauFormats()
{
    fondTypExt_->montrer();
}

void Navigateur::boutonDroitTypExt()
{
    emit masquerPanneaux(true, true, false, false);
    emit cacheFichiersBascule();
    file1_->setFocus();
}

// Named from the start, as CmdTypExt is.
void Navigateur::setLegendeVTypExt(std::function<void(const QString&)> f)
{
    legendeV_ = std::move(f);
    const QString motif = g_.modele.motif();
    const auto legendes = PanneauFormats::legendes(motif);
    // Else "*." and an extension typed after "Autre...".
    if (legendeV_)
        legendeV_(legendes ? legendes->v : motif.mid(2).toUpper());
}

void Navigateur::elargirMotif()
{
    const QString tous = QStringLiteral("*.*");
    const auto legendes = PanneauFormats::legendes(tous);
    poserLegendes(legendes->typExt, legendes->v);
    g_.modele.setMotif(tous);
}

void Navigateur::poserLegendes(const QString& legende, const QString& legendeV)
{
    emit legendeTypExtChangee(legende);
    if (legendeV_)
        legendeV_(legendeV);
}

// A format change reads the folder again too, so that new files and folders show.
void Navigateur::choisirFormat(const QString& motif, const QString& legende, const QString& legendeV)
{
    fondTypExt_->hide();
    poserLegendes(legende, legendeV);
    g_.modele.setMotif(motif);
    g_.modele.relire();
}

void Navigateur::choisirAutre()
{
    fondTypExt_->hide();
    QString extension = g_.services
                            .saisirTexte(fenetre_, QStringLiteral("Nom de l'extension"),
                                         QStringLiteral("Entrez le nom de l'extension (Ex : XXX) :"), QString())
                            .value_or(QString());
    if (extension.size() > 3) {
        const QString texte =
            QStringLiteral("L'extension «") + extension
            + QStringLiteral("» comporte plus de 3 caractères.\nVous êtes sûr(e) de ne pas vous tromper ?");
        if (Demander(g_, 4, QStringLiteral("Choix d'un nom d'extension"), texte, fenetre_) == 0)
            return;
    }
    if (extension.isEmpty())
        extension = g_.modele.motif().right(3);
    else
        g_.modele.setMotif(QStringLiteral("*.") + extension);
    poserLegendes(extension.toUpper(), extension.toUpper());
    g_.modele.relire();
}
