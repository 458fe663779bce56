#pragma once
// Desktop services for the viewer's tests: records cues, pictures put on the
// clipboard and the hourglass count; every dialog is cancelled.
#include "app/services.h"

#include <QList>

class ServicesPlein : public Services {
public:
    QList<int> sons;
    QList<QImage> images;
    int sabliers = 0; // currently set

    void jouerSon(int numero) override { sons << numero; }
    int boiteMessage(General&, QWidget*, const QString&, const QString&) override { return 0; }
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
    QString choisirFichierOuverture(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QMessageBox::StandardButton questionSysteme(QWidget*, QMessageBox::Icon, const QString&, const QString&,
                                                QMessageBox::StandardButtons) override
    {
        return QMessageBox::Cancel;
    }
    bool demarrerProgramme(const QString&, const QStringList&) override { return false; }
    bool programmeInstalle(const QString&) override { return false; }
    bool ouvrirUrl(const QUrl&) override { return false; }
    void ouvrirAide(const QString&) override {}
    void copierImage(const QImage& image) override { images << image; }
    void sablier(bool actif) override { sabliers += actif ? 1 : -1; }
};
