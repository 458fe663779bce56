#pragma once
// A main window over a settings file of its own and scripted desktop services;
// modal windows are recorded by class name and closed at once.
#include "app/general.h"
#include "core/reglages.h"
#include "commun/connexionsrompues.h"
#include "commun/servicesfactices.h"
#include "main_window/fenprin.h"

#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

struct BancFenPrin {
    QTemporaryDir dossier;
    std::unique_ptr<Reglages> reglages;
    ServicesFactices services;
    std::unique_ptr<General> g;
    QStringList modaux;
    std::function<void(QDialog&)> surModal;
    std::unique_ptr<FenPrin> fen;

    BancFenPrin()
    {
        reglages = std::make_unique<Reglages>(dossier.filePath(QStringLiteral("Ormelle.ini")));
        g = std::make_unique<General>(*reglages, services);
    }

    void ecrire(const QString& section, const QString& cle, const QString& valeur)
    {
        reglages->SaveSetting(cles::Application, section, cle, valeur);
    }
    std::optional<QString> lu(const QString& section, const QString& cle) const { return reglages->lire(section, cle); }

    FenPrin& charger(const QString& argument = QString(), bool autreInstance = false)
    {
        fen = std::make_unique<FenPrin>(*g, [this](QDialog& d) {
            modaux << QString::fromLatin1(d.metaObject()->className());
            if (surModal)
                surModal(d);
        });
        fen->charger(nullptr, argument, autreInstance);
        return *fen;
    }

    template <class T = QWidget>
    T* controle(const char* nom) const
    {
        return fen->findChild<T*>(QString::fromLatin1(nom));
    }
};

// A click in the middle of a control, as the pointer gives it.
inline void clic(QWidget* w, Qt::MouseButton bouton = Qt::LeftButton)
{
    QVERIFY2(w, "control missing");
    QTest::mouseClick(w, bouton, {}, w->rect().center());
}

// The bytes of a file, or "<absent>".
inline QByteArray lire(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// A test class's main window over the folder d_ it fills, shown and listed; the run's
// data folder, the trash in it, away from the user's.
class BancDossier {
protected:
    std::unique_ptr<BancFenPrin> b_;
    QTemporaryDir donnees_;
    QString d_;

    ServicesFactices& s() { return b_->services; }
    General& g() { return *b_->g; }

    // For init (and so it fails the test on a broken connection too): `remplir` writes
    // the pictures into d_, which has an empty subfolder `sous`; then the window opens
    // on it and waits until it lists `fichiers` files.
    void ouvrirSur(const QString& sous, const std::function<void()>& remplir, qsizetype fichiers)
    {
        echouerSurConnexionRompue();
        qputenv("XDG_DATA_HOME", QFile::encodeName(donnees_.filePath(QStringLiteral("share"))));
        b_ = std::make_unique<BancFenPrin>();
        d_ = b_->dossier.filePath(QStringLiteral("images"));
        QVERIFY(QDir().mkpath(d_ + QLatin1Char('/') + sous));
        remplir();
        if (QTest::currentTestFailed())
            return;
        b_->charger(d_);
        b_->fen->show();
        QVERIFY(QTest::qWaitForWindowExposed(b_->fen.get()));
        QTRY_COMPARE(g().modele.fichiers().size(), fichiers);
    }
};
