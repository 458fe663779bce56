#include "main_window/panneaucopie.h"

#include "app/general.h"
#include "app/twips.h"
#include "platform/nomsfichiers.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QThread>

PanneauCopie::PanneauCopie(QWidget* parent)
    : PanneauSkin(parent, QStringLiteral("FondCopie"), QStringLiteral("Copie en cours")), fonction_(copierFichier)
{
    setAlignementTitre(Qt::AlignLeft);
    twips::placer(this, 720, 2220, 3915, 1275);
    hide();
    LblCopie = new QLabel(this);
    LblCopie->setObjectName(QStringLiteral("LblCopie"));
    twips::placer(LblCopie, 240, 360, 3435, 240);
    FondJaugeCopie = new QFrame(this);
    FondJaugeCopie->setObjectName(QStringLiteral("FondJaugeCopie"));
    twips::placer(FondJaugeCopie, 240, 660, 3435, 150);
    JaugeCopie = new BoutonSkin(FondJaugeCopie, QStringLiteral("JaugeCopie"));
    JaugeCopie->setBande(true);
    CmdAnnulerCopie = new BoutonSkin(this, QStringLiteral("CmdAnnulerCopie"), QStringLiteral("Annuler"));
    twips::placer(CmdAnnulerCopie, 1380, 930, 1155, 255);
    connect(CmdAnnulerCopie, &QAbstractButton::clicked, this, &PanneauCopie::annuler);
    minuterie_.setInterval(100);
    connect(&minuterie_, &QTimer::timeout, this, [this] {
        if (isHidden() && duree_.elapsed() >= delai_)
            montrer();
        else if (isVisible())
            rafraichir();
    });
}

PanneauCopie::~PanneauCopie()
{
    attendreFin();
}

void PanneauCopie::appliquerCouleurs(const General& g)
{
    const QColor autres = g.couleur(Role::AutresTextes);
    setDegrade(g.couleur(Role::FinDegrade), g.couleur(Role::DebutDegrade));
    setCouleurTexte(g.couleur(Role::TexteBoutons));
    CmdAnnulerCopie->setCouleurLumiere(g.couleur(Role::Lumiere));
    CmdAnnulerCopie->setCouleurTexte(autres);
    peindreLibelle(LblCopie, autres);
    peindreFondWidget(FondJaugeCopie, g.couleur(Role::Visualisation), autres);
    JaugeCopie->setDegrade(g.couleur(Role::DebutDegrade), g.couleur(Role::FinDegrade));
}

ResultatCopie PanneauCopie::copier(const QString& source, const QString& destination, bool remplacer)
{
    annulee_ = false;
    faits_ = 0;
    total_ = 0;
    nom_ = texteAffichable(destination.mid(destination.lastIndexOf(QLatin1Char('/')) + 1));
    OptionsCopie options;
    options.remplacer = remplacer;
    options.progression = [this](qint64 faits, qint64 total) {
        faits_ = faits;
        total_ = total;
        return !annulee_;
    };
    ResultatCopie resultat;
    travail_.reset(QThread::create(
        [this, source, destination, options, &resultat] { resultat = fonction_(source, destination, options); }));
    QEventLoop attente;
    connect(travail_.get(), &QThread::finished, &attente, &QEventLoop::quit);
    qApp->installEventFilter(this);
    duree_.start();
    travail_->start();
    minuterie_.start();
    if (delai_ <= 0)
        montrer();
    attente.exec();
    // The application may leave its loops first, its window closed: the copy stops.
    attendreFin();
    travail_.reset();
    qApp->removeEventFilter(this);
    minuterie_.stop();
    hide();
    return resultat;
}

void PanneauCopie::attendreFin()
{
    if (!travail_)
        return;
    if (!travail_->isFinished())
        annuler();
    travail_->wait();
}

void PanneauCopie::montrer()
{
    twips::deplacer(this, 720, 2220);
    rafraichir();
    show();
    raise();
}

void PanneauCopie::rafraichir()
{
    const qint64 total = total_;
    const qint64 faits = qMin<qint64>(faits_, total);
    const int pourcent = total > 0 ? int(faits * 100 / total) : 0;
    const QString nom = LblCopie->fontMetrics().elidedText(nom_, Qt::ElideMiddle, LblCopie->width() * 3 / 4);
    LblCopie->setText(QStringLiteral("« %1 » : %2 %").arg(nom).arg(pourcent));
    const int largeur = total > 0 ? int(FondJaugeCopie->width() * faits / total) : 0;
    JaugeCopie->setGeometry(0, 0, largeur, FondJaugeCopie->height());
}

bool PanneauCopie::horsDuPanneau(QObject* objet) const
{
    if (!objet->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(objet);
    return w != this && !isAncestorOf(w);
}

// While the copy runs, the user reaches this panel only, as a modal dialog would
// have it; Escape anywhere stops the copy, and so does closing the window.
bool PanneauCopie::eventFilter(QObject* objet, QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape && objet->isWidgetType()) {
            annuler();
            return true;
        }
        return horsDuPanneau(objet);
    case QEvent::Close:
        if (objet == window())
            attendreFin();
        return false;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return horsDuPanneau(objet);
    default:
        return false;
    }
}
