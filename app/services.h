#pragma once
// Everything Ormelle asks of the desktop goes through this one small interface,
// so that tests substitute scripted answers and never block on a real dialog.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class General;
class QWidget;

class Services {
public:
    virtual ~Services() = default;

    // Sound cue 19 to 23, started; returns at once.
    virtual void jouerSon(int numero) = 0;

    // The program's own message box with the icon and cue of `icone` (1 stop, 2 exclamation,
    // 3 information, 4 question, none otherwise); -1 for the first button, 0 for the second or a close.
    virtual int boiteMessage(General& g, QWidget* parent, int icone, const QString& texte, const QString& titre) = 0;

    // The desktop's own dialogs. nullopt is a cancel.
    virtual std::optional<QColor> choisirCouleur(QWidget* parent, const QColor& initiale) = 0;
    virtual std::optional<QFont> choisirPolice(QWidget* parent, const QFont& initiale) = 0;
    virtual std::optional<QString> saisirTexte(QWidget* parent, const QString& titre, const QString& invite,
                                               const QString& defaut) = 0;
    virtual QString choisirFichierEnregistrement(QWidget* parent, const QString& titre, const QString& chemin,
                                                 const QString& filtre) = 0;
    virtual QString choisirFichierOuverture(QWidget* parent, const QString& titre, const QString& dossier,
                                            const QString& filtre) = 0;
    // The Open dialog of the sound commands: a filter of label|patterns pairs
    // ("Sons MID, RMI et WAV|*.mid;*.rmi;*.wav|Tous les fichiers|*.*"), its first entry
    // selected, no read-only box, the last folder of the run. nullopt is a cancel.
    virtual std::optional<QString> choisirFichierSon(QWidget* parent, const QString& titre, const QString& filtre) = 0;
    virtual QMessageBox::StandardButton questionSysteme(QWidget* parent, QMessageBox::Icon icone, const QString& titre,
                                                        const QString& texte, QMessageBox::StandardButtons boutons) = 0;

    // Starts a program by name or path, detached; false when it could not be started.
    virtual bool demarrerProgramme(const QString& programme, const QStringList& arguments) = 0;
    virtual bool programmeInstalle(const QString& programme) = 0;
    virtual bool ouvrirUrl(const QUrl& url) = 0;
    // Asks the desktop's file manager to show `adresse` (file://): a file selected in its
    // folder, or a folder when `dossier`. `reponse` learns whether a file manager took the
    // request; it runs later, or at once when there is no one to ask, and never once
    // `contexte` is gone.
    virtual void montrerDansGestionnaire(const QString& adresse, bool dossier, QObject* contexte,
                                         std::function<void(bool)> reponse) = 0;
    // Shows a help address ("…/Ormelle.chm::/htm/page.htm", or the help folder alone).
    virtual void ouvrirAide(const QString& adresse) = 0;

    // Puts a picture on the clipboard; a null image empties it.
    virtual void copierImage(const QImage& image) = 0;

    // Hourglass pointer, counted by the caller's guard.
    virtual void sablier(bool actif) = 0;
};

// The services of the running desktop.
class ServicesBureau : public Services {
public:
    void jouerSon(int numero) override;
    int boiteMessage(General& g, QWidget* parent, int icone, const QString& texte, const QString& titre) override;
    std::optional<QColor> choisirCouleur(QWidget* parent, const QColor& initiale) override;
    std::optional<QFont> choisirPolice(QWidget* parent, const QFont& initiale) override;
    std::optional<QString> saisirTexte(QWidget* parent, const QString& titre, const QString& invite,
                                       const QString& defaut) override;
    QString choisirFichierEnregistrement(QWidget* parent, const QString& titre, const QString& chemin,
                                         const QString& filtre) override;
    QString choisirFichierOuverture(QWidget* parent, const QString& titre, const QString& dossier,
                                    const QString& filtre) override;
    std::optional<QString> choisirFichierSon(QWidget* parent, const QString& titre, const QString& filtre) override;
    QMessageBox::StandardButton questionSysteme(QWidget* parent, QMessageBox::Icon icone, const QString& titre,
                                                const QString& texte, QMessageBox::StandardButtons boutons) override;
    bool demarrerProgramme(const QString& programme, const QStringList& arguments) override;
    bool programmeInstalle(const QString& programme) override;
    bool ouvrirUrl(const QUrl& url) override;
    void montrerDansGestionnaire(const QString& adresse, bool dossier, QObject* contexte,
                                 std::function<void(bool)> reponse) override;
    void ouvrirAide(const QString& adresse) override;
    void copierImage(const QImage& image) override;
    void sablier(bool actif) override;
};

// Services for a run with nobody at the screen (benchmarks): no sound, every dialog cancelled.
class ServicesMuets : public Services {
public:
    void jouerSon(int) override {}
    int boiteMessage(General&, QWidget*, int, const QString&, const QString&) override { return 0; }
    std::optional<QColor> choisirCouleur(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<QFont> choisirPolice(QWidget*, const QFont&) override { return std::nullopt; }
    std::optional<QString> saisirTexte(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QString choisirFichierEnregistrement(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString choisirFichierOuverture(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> choisirFichierSon(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    QMessageBox::StandardButton questionSysteme(QWidget*, QMessageBox::Icon, const QString&, const QString&,
                                                QMessageBox::StandardButtons) override
    {
        return QMessageBox::Cancel;
    }
    bool demarrerProgramme(const QString&, const QStringList&) override { return false; }
    bool programmeInstalle(const QString&) override { return false; }
    bool ouvrirUrl(const QUrl&) override { return false; }
    void montrerDansGestionnaire(const QString&, bool, QObject*, std::function<void(bool)> reponse) override
    {
        reponse(false);
    }
    void ouvrirAide(const QString&) override {}
    void copierImage(const QImage&) override {}
    void sablier(bool) override {}
};

// A filter of label|patterns pairs ("Name|*.a;*.b|Name|*.*") as Qt's file dialogs take
// it ("Name (*.a *.b);;Name (*)").
QString filtreDialogueQt(const QString& filtreConcu);

// Scoped hourglass: one restore for each set, even on an early return.
class Sablier {
public:
    explicit Sablier(Services& s) : s_(s) { s_.sablier(true); }
    ~Sablier() { s_.sablier(false); }
    Sablier(const Sablier&) = delete;
    Sablier& operator=(const Sablier&) = delete;

private:
    Services& s_;
};
