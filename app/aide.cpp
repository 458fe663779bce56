#include "app/aide.h"

#include "app/services.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const QString Separateur = QStringLiteral("::");
const QString PageIndex = QStringLiteral("index.htm");

QString pageDemandee(const QString& reste)
{
    QString page = reste;
    page.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (page.startsWith(QLatin1Char('/')))
        page.remove(0, 1);
    if (page.startsWith(QLatin1String("htm/"), Qt::CaseInsensitive))
        page.remove(0, 4);
    // A page never climbs out of the help folder.
    if (page.contains(QLatin1String("..")))
        return QString();
    return page;
}
} // namespace

QString fichierDepuisAdresseAide(const QString& adresse)
{
    const int sep = adresse.indexOf(Separateur);
    QString dossier = sep < 0 ? adresse : adresse.left(sep);
    while (dossier.endsWith(QLatin1Char('/')) && dossier.size() > 1)
        dossier.chop(1);
    const QString index = dossier + QLatin1Char('/') + PageIndex;
    if (sep < 0)
        return index;
    const QString page = pageDemandee(adresse.mid(sep + Separateur.size()));
    if (page.isEmpty())
        return index;
    const QString fichier = dossier + QStringLiteral("/htm/") + page;
    return QFileInfo(fichier).isFile() ? fichier : index;
}

FenAide::FenAide(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FenAide"));
    setWindowTitle(QStringLiteral("Aide d'Ormelle"));
    setWindowIcon(QIcon(QStringLiteral(":/icones/aide2.svg")));
    resize(760, 560);

    navigateur_ = new QTextBrowser(this);
    navigateur_->setObjectName(QStringLiteral("Navigateur"));
    // Pages of the site itself open in the user's browser; pages of the help stay here.
    navigateur_->setOpenExternalLinks(true);

    precedent_ = new QPushButton(QStringLiteral("Précédent"), this);
    precedent_->setObjectName(QStringLiteral("CmdPrecedent"));
    suivant_ = new QPushButton(QStringLiteral("Suivant"), this);
    suivant_->setObjectName(QStringLiteral("CmdSuivant"));
    sommaire_ = new QPushButton(QStringLiteral("Sommaire"), this);
    sommaire_->setObjectName(QStringLiteral("CmdSommaire"));

    auto* barre = new QHBoxLayout;
    barre->addWidget(precedent_);
    barre->addWidget(suivant_);
    barre->addWidget(sommaire_);
    barre->addStretch();
    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(6, 6, 6, 6);
    colonne->addLayout(barre);
    colonne->addWidget(navigateur_, 1);

    connect(precedent_, &QPushButton::clicked, navigateur_, &QTextBrowser::backward);
    connect(suivant_, &QPushButton::clicked, navigateur_, &QTextBrowser::forward);
    connect(sommaire_, &QPushButton::clicked, this, [this] {
        if (!index_.isEmpty())
            navigateur_->setSource(QUrl::fromLocalFile(index_));
    });
    connect(navigateur_, &QTextBrowser::historyChanged, this, &FenAide::majBoutons);
    majBoutons();
}

void FenAide::ouvrir(const QString& adresse)
{
    const QString fichier = fichierDepuisAdresseAide(adresse);
    index_ = fichierDepuisAdresseAide(adresse.left(adresse.indexOf(Separateur)));
    if (QFileInfo(fichier).isFile()) {
        navigateur_->setSource(QUrl::fromLocalFile(fichier));
    } else {
        navigateur_->setHtml(
            QStringLiteral("<h3>L'aide d'Ormelle est introuvable.</h3><p>%1</p>").arg(fichier.toHtmlEscaped()));
    }
    majBoutons();
}

void FenAide::majBoutons()
{
    precedent_->setEnabled(navigateur_->isBackwardAvailable());
    suivant_->setEnabled(navigateur_->isForwardAvailable());
}

FenAide* FenAide::instance()
{
    static QPointer<FenAide> fenetre;
    if (!fenetre) {
        fenetre = new FenAide;
        fenetre->setAttribute(Qt::WA_DeleteOnClose, false);
        fenetre->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return fenetre;
}

void ServicesBureau::ouvrirAide(const QString& adresse)
{
    FenAide* f = FenAide::instance();
    f->ouvrir(adresse);
    // Asked from a modal dialog, the help must not wait until the dialog closes: a window
    // that belongs to the modal one is not blocked by it, and the window manager keeps it
    // above. The dialog going away leaves the help on screen, on its own.
    QWidget* demandeur = QApplication::activeModalWidget();
    f->winId();
    if (QWindow* fenetre = f->windowHandle())
        fenetre->setTransientParent(demandeur && demandeur->windowHandle() != fenetre ? demandeur->windowHandle()
                                                                                      : nullptr);
    f->show();
    f->raise();
    f->activateWindow();
}
