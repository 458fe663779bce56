#include "sound/lecteurmci.h"

#include "sound/moduleson.h"

const QString LecteurMci::ModeFerme = QLatin1String(modeson::Ferme);
const QString LecteurMci::ModeArrete = QLatin1String(modeson::Arrete);
const QString LecteurMci::ModeLecture = QLatin1String(modeson::Lecture);

LecteurMci::LecteurMci(QObject* parent) : QObject(parent)
{
}

LecteurMci::~LecteurMci() = default;

InterfaceLecteur* LecteurMci::lecteur()
{
    if (lecteur_)
        return lecteur_.get();
    const PointsSon* points = moduleson::points(&erreur_);
    if (!points)
        return nullptr;
    RappelsLecteur rappels;
    rappels.mode = [this](const QString& mode) { emit NotifyMode(mode); };
    rappels.premierTampon = [this](qint64 us) { emit premierTampon(us); };
    rappels.ouvert = [this](bool ok) { emit ouvert(ok); };
    lecteur_ = points->creerLecteur(objectName(), std::move(rappels));
    lecteur_->setSortieMuette(muette_);
    return lecteur_.get();
}

bool LecteurMci::Command(const QString& commande)
{
    const QString c = commande.simplified().toLower();
    if (c == QLatin1String("close"))
        fermer();
    else if (c == QLatin1String("stop"))
        arreter();
    else if (c == QLatin1String("play from 0") || c == QLatin1String("play"))
        jouerDepuisDebut();
    else
        return false;
    return true;
}

// Closing, stopping and playing need an open file: without a player there is none.
void LecteurMci::fermer()
{
    if (lecteur_)
        lecteur_->fermer();
}

void LecteurMci::arreter()
{
    if (lecteur_)
        lecteur_->arreter();
}

void LecteurMci::jouerDepuisDebut()
{
    if (lecteur_)
        lecteur_->jouerDepuisDebut();
}

QString LecteurMci::FileName() const
{
    return lecteur_ ? lecteur_->FileName() : QString();
}

bool LecteurMci::setFileName(const QString& chemin)
{
    InterfaceLecteur* l = lecteur();
    return l && l->setFileName(chemin);
}

void LecteurMci::ouvrir(const QString& chemin)
{
    if (InterfaceLecteur* l = lecteur())
        l->ouvrir(chemin);
    else
        QMetaObject::invokeMethod(
            this, [this] { emit ouvert(false); }, Qt::QueuedConnection);
}

bool LecteurMci::enOuverture() const
{
    return lecteur_ && lecteur_->enOuverture();
}

bool LecteurMci::setTimeFormat(const QString& format)
{
    const QString f = format.simplified().toLower();
    if (f != QLatin1String("ms") && f != QLatin1String("milliseconds"))
        return false;
    formatTemps_ = QStringLiteral("ms");
    return true;
}

qint64 LecteurMci::Length() const
{
    return lecteur_ ? lecteur_->Length() : 0;
}

QString LecteurMci::Mode() const
{
    return lecteur_ ? lecteur_->Mode() : ModeFerme;
}

void LecteurMci::preparer()
{
    if (lecteur_) {
        lecteur_->preparer();
        return;
    }
    if (preparation_)
        return;
    preparation_ = true;
    // The module is mapped off the interface thread; the player is made on it.
    moduleson::precharger(this, [this] {
        preparation_ = false;
        if (InterfaceLecteur* l = lecteur())
            l->preparer();
    });
}

bool LecteurMci::synthePret() const
{
    return lecteur_ && lecteur_->synthePret();
}

QString LecteurMci::erreur() const
{
    return lecteur_ ? lecteur_->erreur() : erreur_;
}

QString LecteurMci::avertissement() const
{
    return lecteur_ ? lecteur_->avertissement() : QString();
}

void LecteurMci::setSortieMuette(bool muette)
{
    muette_ = muette;
    if (lecteur_)
        lecteur_->setSortieMuette(muette);
}
