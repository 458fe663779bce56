#pragma once
// Desktop services for tests: scripted answers, and a record of what was asked.
#include "app/services.h"

#include <QList>
#include <QPair>
#include <deque>
#include <functional>

class ServicesFactices : public Services {
public:
    // Recorded
    QList<int> sons;
    QStringList aides;
    QList<QPair<QString, QString>> boites; // (titre, texte)
    QList<int> icones;                     // the icon kind of each of the program's message boxes
    QList<QPair<QString, QStringList>> programmes;
    QList<QUrl> urls;
    QList<QPair<QString, bool>> gestionnaire; // (adresse, dossier) asked of the file manager
    QList<QImage> images;
    QStringList nomsProposes;                    // the file name each Save As dialog was opened with
    int sabliers = 0;                            // currently set
    QList<QPair<QString, QString>> dialoguesSon; // (titre, filtre)

    // Scripted
    std::deque<int> reponsesBoite;                     // default 0
    std::deque<std::optional<QColor>> couleurs;        // default: cancel
    std::deque<std::optional<QFont>> polices;          // default: cancel
    std::deque<std::optional<QString>> saisies;        // default: cancel
    std::deque<QString> fichiers;                      // default: "" (cancel)
    std::deque<std::optional<QString>> fichiersSon;    // default: cancel
    std::deque<QMessageBox::StandardButton> questions; // default: Cancel
    QStringList installes;                             // programs that exist
    bool gestionnaireRepond = false;                   // a file manager takes the request

    void jouerSon(int numero) override { sons << numero; }
    int boiteMessage(General&, QWidget*, int icone, const QString& texte, const QString& titre) override
    {
        boites << qMakePair(titre, texte);
        icones << icone;
        return prendre(reponsesBoite, 0);
    }
    std::optional<QColor> choisirCouleur(QWidget*, const QColor&) override { return prendre(couleurs, {}); }
    std::optional<QFont> choisirPolice(QWidget*, const QFont&) override { return prendre(polices, {}); }
    std::optional<QString> saisirTexte(QWidget*, const QString&, const QString&, const QString&) override
    {
        return prendre(saisies, {});
    }
    QString choisirFichierEnregistrement(QWidget*, const QString&, const QString& chemin, const QString&) override
    {
        nomsProposes << chemin;
        return prendre(fichiers, QString());
    }
    QString choisirFichierOuverture(QWidget*, const QString&, const QString&, const QString&) override
    {
        return prendre(fichiers, QString());
    }
    std::optional<QString> choisirFichierSon(QWidget*, const QString& titre, const QString& filtre) override
    {
        dialoguesSon << qMakePair(titre, filtre);
        return prendre(fichiersSon, {});
    }
    QMessageBox::StandardButton questionSysteme(QWidget*, QMessageBox::Icon, const QString& titre, const QString& texte,
                                                QMessageBox::StandardButtons) override
    {
        boites << qMakePair(titre, texte);
        return prendre(questions, QMessageBox::Cancel);
    }
    bool demarrerProgramme(const QString& p, const QStringList& a) override
    {
        programmes << qMakePair(p, a);
        return installes.contains(p);
    }
    bool programmeInstalle(const QString& p) override { return installes.contains(p); }
    bool ouvrirUrl(const QUrl& u) override
    {
        urls << u;
        return true;
    }
    void montrerDansGestionnaire(const QString& adresse, bool dossier, QObject*,
                                 std::function<void(bool)> reponse) override
    {
        gestionnaire << qMakePair(adresse, dossier);
        reponse(gestionnaireRepond);
    }
    void ouvrirAide(const QString& adresse) override { aides << adresse; }
    void copierImage(const QImage& image) override { images << image; }
    void sablier(bool actif) override { sabliers += actif ? 1 : -1; }

private:
    template <class T>
    static T prendre(std::deque<T>& file, const T& defaut)
    {
        if (file.empty())
            return defaut;
        T v = file.front();
        file.pop_front();
        return v;
    }
};
