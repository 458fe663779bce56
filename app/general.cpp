#include "app/general.h"

#include "app/ordrefenetres.h"
#include "core/reglages.h"
#include "app/services.h"
#include "core/commentaires.h"
#include "platform/nomsfichiers.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

General::General(Reglages& r, Services& s) : reglages(r), services(s)
{
    FichierAide = DossierProgramme() + QStringLiteral("/Ormelle.chm");
    DossierCommentaires = commentaires::dossierUtilisateur();
    ordrefenetres::suivre();
}

QString DossierProgramme()
{
    // Installed: <prefix>/bin/ormelle beside <prefix>/share/ormelle; the build tree mirrors it.
    const QString installe =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/ormelle"));
    if (QFileInfo(installe + QStringLiteral("/Ormelle.chm")).isDir())
        return QDir::cleanPath(installe);
    return QStringLiteral(ORMELLE_SOURCE_DATA);
}

int BoiteMessage(General& g, int icone, const QString& texte, const QString& titre, QWidget* parent)
{
    return g.services.boiteMessage(g, parent, icone, texte, titre);
}

int Demander(General& g, int icone, const QString& titre, const QString& texte, QWidget* parent)
{
    return BoiteMessage(g, icone, texte, titre, parent);
}

void JouerSon(General& g, int numero)
{
    g.services.jouerSon(numero);
}

void OuvrirAide(General& g, const QString& page)
{
    g.services.ouvrirAide(page.isEmpty() ? g.FichierAide : g.FichierAide + QStringLiteral("::/htm/") + page);
}

void AfficherPressePapiers(General& g, QWidget* parent)
{
    // The first clipboard viewer installed stands in for the system's own.
    const struct {
        const char* programme;
        QStringList arguments;
    } visionneuses[] = {
        {"copyq", {QStringLiteral("show")}},
        {"gpaste-client", {QStringLiteral("ui")}},
        {"diodon", {}},
    };
    for (const auto& v : visionneuses) {
        const QString p = QString::fromLatin1(v.programme);
        if (g.services.programmeInstalle(p)) {
            g.services.demarrerProgramme(p, v.arguments);
            return;
        }
    }
    const QString texte = QStringLiteral(
        "Vous n'avez pas installé le presse-papiers. Il n'est pas vraiment nécessaire mais vous permet de "
        "visionner ce qui a été copié.\nSi vous ne savez pas comment l'installer, reportez-vous à la rubrique "
        "d'aide :");
    if (Demander(g, 3, QStringLiteral("Presse-papiers"), texte, parent) == -1)
        OuvrirAide(g, QStringLiteral("commandes_generales.htm"));
}

const QStringList& ProgrammesDessin()
{
    static const QStringList programmes = {QStringLiteral("kolourpaint"), QStringLiteral("pinta"),
                                           QStringLiteral("drawing"), QStringLiteral("mtpaint"),
                                           QStringLiteral("gimp")};
    return programmes;
}

bool LancerDessin(General& g, const QString& image)
{
    const QStringList arguments = image.isEmpty() ? QStringList() : QStringList{argumentFichier(image)};
    for (const QString& programme : ProgrammesDessin())
        if (g.services.programmeInstalle(programme) && g.services.demarrerProgramme(programme, arguments))
            return true;
    return false;
}

void FermerTout()
{
    // Closing the main window runs this again from its close event: once is enough.
    static bool enCours = false;
    if (enCours)
        return;
    enCours = true;
    const QList<QWidget*> ordre = ordrefenetres::fenetres();
    QList<QPointer<QWidget>> fenetres(ordre.cbegin(), ordre.cend());
    // Last opened first; a window may take others with it as it closes.
    for (qsizetype i = fenetres.size() - 1; i >= 0; --i) {
        QWidget* w = fenetres.at(i);
        if (w && (w->isVisible() || w->testAttribute(Qt::WA_DeleteOnClose)))
            w->close();
    }
    enCours = false;
    QCoreApplication::quit();
}

QString fichierCommentaires(const General& g, const QString& dossier)
{
    return commentaires::fichierDe(g.DossierCommentaires, dossier);
}
