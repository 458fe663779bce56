#pragma once
// The panel of a copy that lasts: how far it has gone, and a button to stop it. The
// copy runs on a thread of its own while the window waits for it as it waits for a
// dialog: it repaints, and answers this panel and Escape, nothing else.
#include "app/skin.h"
#include "file_ops/copie.h"

#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <memory>

class General;
class QFrame;
class QLabel;
class QThread;

class PanneauCopie : public PanneauSkin {
    Q_OBJECT
public:
    using FonctionCopie = std::function<ResultatCopie(const QString&, const QString&, const OptionsCopie&)>;

    explicit PanneauCopie(QWidget* parent);
    ~PanneauCopie() override;

    // Copies and returns once the copy has ended; the panel shows while it lasts.
    ResultatCopie copier(const QString& source, const QString& destination, bool remplacer);
    // The scheme's colours, as on the window's other panels.
    void appliquerCouleurs(const General& g);
    // Asks the copy under way to stop, which it does at its next chunk.
    void annuler() { annulee_ = true; }

    // How long a copy runs before the panel shows (0: at once), so that a short one
    // does not flash it; and the copy itself, which tests hold half-way.
    void setDelaiAffichage(int ms) { delai_ = ms; }
    void setFonctionCopie(FonctionCopie f) { fonction_ = std::move(f); }

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void montrer();
    void rafraichir();
    bool horsDuPanneau(QObject* objet) const;
    void attendreFin();

    FonctionCopie fonction_;
    int delai_ = 400;
    QString nom_;
    QLabel* LblCopie = nullptr;
    QFrame* FondJaugeCopie = nullptr;
    BoutonSkin* JaugeCopie = nullptr;
    BoutonSkin* CmdAnnulerCopie = nullptr;
    QTimer minuterie_;
    QElapsedTimer duree_;
    std::unique_ptr<QThread> travail_;
    std::atomic<bool> annulee_{false};
    std::atomic<qint64> faits_{0};
    std::atomic<qint64> total_{0};
};
