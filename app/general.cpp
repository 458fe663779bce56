#include "app/general.h"

#include "app/ordrefenetres.h"
#include "app/reglages.h"
#include "app/services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

General::General(Reglages& r, Services& s) : reglages(r), services(s)
{
    FichierAide = DossierProgramme() + QStringLiteral("/Ormelle.chm");
    ordrefenetres::suivre();
}

QColor General::couleurTransition() const
{
    return versQColor(lireNombreCouleur(CouleurTransition).value_or(1));
}

namespace {
// A text that is no number reads as the lower bound, like a value below it.
int lireBorne(const Reglages& r, const QString& section, const QString& cle, int bas, int haut)
{
    bool ok = false;
    const qlonglong v = r.GetSetting(cles::Application, section, cle, QStringLiteral("1")).trimmed().toLongLong(&ok);
    if (!ok || v < bas)
        return bas;
    return v > haut ? haut : int(v);
}

QString lireMarque(const Reglages& r, const char* cle, const char* marque, const char* defaut)
{
    const QString texte = r.GetSetting(cles::Application, cles::SectionCommentaire, QString::fromUtf8(cle),
                                       QString::fromUtf8(marque));
    return texte == QLatin1String(marque) ? QString::fromUtf8(defaut) : texte;
}
}

void General::lireReglagesDiaporama()
{
    const auto lire = [this](const QString& s, const QString& c) {
        return reglages.GetSetting(cles::Application, s, c, QStringLiteral("1"));
    };
    DureePause = lireBorne(reglages, cles::SectionPause, cles::ClePause, 1, 60);
    EffetTransition = lire(cles::SectionTransition, cles::CleEffet) == QLatin1String("Oui");
    DureeTransition = lireBorne(reglages, cles::SectionTransition, cles::CleDureeTransition, 1, 100);
    CouleurTransition = lire(cles::SectionTransition, cles::CleCouleurTransition);
    AdapterImageTexte = lire(cles::SectionAdapter, cles::CleAdapter);
    bool ok = false;
    const int mode = AdapterImageTexte.trimmed().toInt(&ok);
    AdapterImage = ok ? mode : -1;
    OrdreAleatoire = lire(cles::SectionAleatoire, cles::CleAleatoire) == QLatin1String("Oui");
}

void General::lireReglagesCommentaire()
{
    PoliceNom = lireMarque(reglages, "PoliceNom", "1", "Comic Sans MS");
    CouleurPrincipale = lireMarque(reglages, "CouleurPrincipale", "2", "&H0FFFF");
    PoliceTaille = lireMarque(reglages, "PoliceTaille", "3", "18");
    PoliceGras = lireMarque(reglages, "PoliceGras", "4", "True");
    PoliceItalic = lireMarque(reglages, "PoliceItalic", "5", "False");
    PoliceBarree = lireMarque(reglages, "PoliceBarree", "6", "False");
    PoliceSoulignee = lireMarque(reglages, "PoliceSoulignee", "7", "False");
}

void General::enregistrerReglagesDiaporama()
{
    const auto ecrire = [this](const QString& s, const QString& c, const QString& v) {
        reglages.SaveSetting(cles::Application, s, c, v);
    };
    const auto ouiNon = [](bool b) { return b ? QStringLiteral("Oui") : QStringLiteral("Non"); };
    ecrire(cles::SectionDossier, cles::CleDossier, DossierCourant());
    ecrire(cles::SectionPause, cles::ClePause, QString::number(DureePause));
    ecrire(cles::SectionTransition, cles::CleEffet, ouiNon(EffetTransition));
    ecrire(cles::SectionTransition, cles::CleDureeTransition, QString::number(DureeTransition));
    ecrire(cles::SectionTransition, cles::CleCouleurTransition, CouleurTransition);
    ecrire(cles::SectionAdapter, cles::CleAdapter, AdapterImage < 0 ? AdapterImageTexte : QString::number(AdapterImage));
    ecrire(cles::SectionAleatoire, cles::CleAleatoire, ouiNon(OrdreAleatoire));
}

QString DossierProgramme()
{
    // Installed: <prefix>/bin/ormelle beside <prefix>/share/ormelle; the build tree mirrors it.
    const QString installe = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(
        QStringLiteral("../share/ormelle"));
    if (QFileInfo(installe + QStringLiteral("/Ormelle.chm")).isDir())
        return QDir::cleanPath(installe);
    return QStringLiteral(ORMELLE_SOURCE_DATA);
}

int BoiteMessage(General& g, const QString& texte, const QString& titre, QWidget* parent)
{
    return g.services.boiteMessage(g, parent, texte, titre);
}

int Demander(General& g, int icone, const QString& titre, const QString& texte, QWidget* parent)
{
    g.IconeMessage = icone;
    g.TitreMessage = titre;
    g.TexteMessage = texte;
    g.ReponseMessage = BoiteMessage(g, g.TexteMessage, g.TitreMessage, parent);
    return g.ReponseMessage;
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
    if (Demander(g, 3, QStringLiteral("Presse-papiers de Windows"), texte, parent) == -1)
        OuvrirAide(g, QStringLiteral("commandes_generales.htm"));
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
