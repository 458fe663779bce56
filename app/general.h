#pragma once
// The state every window shares, one instance for the whole run. The application
// creates it and hands it by reference to each window it opens; a test creates its own.
//
// It keeps only what more than one window reads, or what outlives the window that
// sets it: the owners every window asks (settings store, desktop services, folder
// model, picture service, comment index, clock, colour scheme, the typed settings
// structs), and the few values one window leaves for another: the folder of the last
// drive change (the main window's lists and the viewer's panel), what one viewer
// leaves for the next, and the settings dialog's choice kept between its openings.
// A request from one window to another is a call, a signal or an argument, never a
// field set here and read later; a value only one window reads is that window's own.
#include "core/tablereglages.h"
#include "core/modeledossier.h"
#include "core/schema.h"
#include "core/horloge.h"
#include "core/indexcommentaires.h"
#include "core/reglagescommentaire.h"
#include "core/reglagesdemarrage.h"
#include "core/reglagesdiaporama.h"
#include "core/toilefond.h"
#include "core/serviceimages.h"

#include <QColor>
#include <QString>
#include <QStringList>

class Reglages;
class Services;
class QWidget;

class General {
public:
    General(Reglages& reglages, Services& services);

    Reglages& reglages;
    Services& services;

    // Start-up and interface
    QString TitreProgramme = QStringLiteral("Ormelle");
    SchemaCouleurs Couleurs;
    ReglagesDemarrage demarrage;
    bool InfoBulles = true;
    QString FichierAide;
    bool BarreTacheMasquee = false;

    // The current folder, its list and the current picture live in the folder
    // model; every decode goes through the picture service.
    ModeleDossier modele;
    // The comment files read so far, looked up on the picture service's workers:
    // declared before the service, so that it outlives them.
    commentaires::IndexCommentaires indexCommentaires;
    ServiceImages images;
    // The time animated pictures play on; a test puts a scripted clock here.
    HorlogeReelle horlogeReelle;
    Horloge* horloge = &horlogeReelle;
    QString FichierCourant() const { return modele.FichierCourant(); }
    QString NomFichierCourant() const { return modele.NomFichierCourant(); }
    QString ExtensionCourante() const { return modele.ExtensionCourante(); }
    QString DossierCourant() const { return modele.dossier(); }
    QString DossierLecteur; // the folder reached by the last drive change

    // Slideshow and full-screen view
    ReglagesDiaporama diaporama;
    QColor CouleurFond = Qt::black;
    ReglagesCommentaire commentaire;
    // Left by one viewer for the next: whether the slideshow runs (a viewer opened
    // later goes on with it until a click stops it), and the copy extent last chosen
    // in a viewer's menu, which the view of one picture copies with.
    bool DiaporamaEnCours = false;
    bool CopieEcranEntier = false;
    // Where the comment files live ($XDG_DATA_HOME/Ormelle); a test points it elsewhere.
    QString DossierCommentaires;

    // The settings dialog's "Enregistrer les réglages": it lives for the run, from one
    // opening of the dialog to the next, from either window.
    bool EnregistrerReglages = false;

    ToileFond fond;

    QColor couleur(Role r) const { return Couleurs.couleur(r); }
};

// Folder holding the program's read-only data (tips, help), beside the executable.
QString DossierProgramme();

// Shared procedures.
// The message box with the icon and cue of `icone`; -1 for "Oui", 0 for "Non" or a close.
int BoiteMessage(General& g, int icone, const QString& texte, const QString& titre, QWidget* parent = nullptr);
// A whole request: the box shown with its icon kind, its answer returned.
int Demander(General& g, int icone, const QString& titre, const QString& texte, QWidget* parent = nullptr);
void JouerSon(General& g, int numero);
// Opens a help page ("fenêtre_principale.htm"); an empty page opens the help's start page.
void OuvrirAide(General& g, const QString& page);
void AfficherPressePapiers(General& g, QWidget* parent = nullptr);
// The paint programs looked for, in order of preference.
const QStringList& ProgrammesDessin();
// Starts the first of them installed on `image` (on nothing when empty); false when none started.
bool LancerDessin(General& g, const QString& image);
// The comment file of a picture folder.
QString fichierCommentaires(const General& g, const QString& dossier);
// Unloads every top-level window, last opened first.
void FermerTout();
