#include "sound/postesons.h"

#include "sound/morceaumidi.h"

const QString PosteSons::TitreDialogue = QStringLiteral("Nom du fichier MIDI, RMI ou WAVE");
const QString PosteSons::FiltreDialogue =
    QStringLiteral("Sons MID, RMI et WAV|*.mid;*.rmi;*.wav|Tous les fichiers|*.*");
const QString PosteSons::TitreDuree = QStringLiteral("Durée du son");

QString texteDureeSon(qint64 ms)
{
    ms = qBound<qint64>(0, ms, DureeSonMaxUs / 1000);
    const qint64 mn = ms / 60000;
    const qint64 reste = ms - 60000 * mn;
    const qint64 sec = reste / 1000;
    return QStringLiteral("Le son dure %1mn. %2sec. %3ms.").arg(mn).arg(sec).arg(reste - 1000 * sec);
}

PosteSons::PosteSons(const QString& nomMinuterie, QObject* parent) : QObject(parent), lecteur_(new LecteurMci(this))
{
    lecteur_->setObjectName(QStringLiteral("MCIWnd1"));
    repetition_ = new Repetition(*lecteur_, nomMinuterie, this);
    connect(lecteur_, &LecteurMci::ouvert, this, &PosteSons::ouvert);
}

void PosteSons::charger(bool jouer)
{
    // The SoundFont loads while the user chooses: a MIDI file then starts at once.
    lecteur_->preparer();
    const std::optional<QString> choix = choisirFichier ? choisirFichier(TitreDialogue, FiltreDialogue) : std::nullopt;
    // A cancel is a cancel in both places: the current sound goes on.
    if (!choix || choix->isEmpty())
        return;
    lecteur_->Command(QStringLiteral("close"));
    jouerOuvert_ = jouer;
    lecteur_->ouvrir(*choix);
}

void PosteSons::ouvert(bool ok)
{
    if (!ok)
        return;
    if (!lecteur_->avertissement().isEmpty() && signaler)
        signaler(lecteur_->avertissement());
    if (jouerOuvert_)
        lecteur_->Command(QStringLiteral("play from 0"));
}

void PosteSons::mnuChargerSon()
{
    charger(false);
}

void PosteSons::mnuJouerSon()
{
    lecteur_->Command(QStringLiteral("play from 0"));
}

void PosteSons::mnuChargerJouerSon()
{
    charger(true);
}

void PosteSons::mnuDureeSon()
{
    if (lecteur_->FileName().isEmpty())
        return;
    lecteur_->setTimeFormat(QStringLiteral("ms"));
    const qint64 longueur = lecteur_->Length();
    if (longueur == 0 || !montrerDuree)
        return;
    montrerDuree(texteDureeSon(longueur));
}

void PosteSons::mnuRepetSon()
{
    repetition_->RepetitionSon = true;
    lecteur_->Command(QStringLiteral("play from 0"));
}

void PosteSons::mnuArretSon()
{
    repetition_->minuterie().stop();
    repetition_->RepetitionSon = false;
    lecteur_->Command(QStringLiteral("stop"));
}
