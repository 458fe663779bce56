#include "platform/erreurs.h"

#include <cerrno>

namespace {
QString pourDossier(int code)
{
    switch (code) {
    case ENOENT:
        return QStringLiteral("Dossier introuvable");
    case EACCES:
    case EPERM:
        return QStringLiteral("Accès au dossier refusé");
    case ENOTDIR:
        return QStringLiteral("Ce n'est pas un dossier");
    default:
        return QString();
    }
}
} // namespace

QString texteErreurSysteme(int code, ObjetErreur objet)
{
    if (objet == ObjetErreur::Dossier) {
        const QString texte = pourDossier(code);
        if (!texte.isEmpty())
            return texte;
    }
    switch (code) {
    case 0:
        return QStringLiteral("Aucune erreur");
    case ENOENT:
        return QStringLiteral("Fichier ou dossier introuvable");
    case EACCES:
    case EPERM:
        return QStringLiteral("Accès refusé");
    case ENOTDIR:
        return QStringLiteral("Ce n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("C'est un dossier");
    case EEXIST:
        return QStringLiteral("Le fichier existe déjà");
    case ENOSPC:
        return QStringLiteral("Il n'y a plus de place sur le disque");
    case EDQUOT:
        return QStringLiteral("Le quota du disque est atteint");
    case EROFS:
        return QStringLiteral("Le support est en lecture seule");
    case EIO:
        return QStringLiteral("Erreur de lecture ou d'écriture sur le support");
    case EBUSY:
        return QStringLiteral("Le fichier ou le périphérique est occupé");
    case ENOTEMPTY:
        return QStringLiteral("Le dossier n'est pas vide");
    case EXDEV:
        return QStringLiteral("Le fichier ne peut pas changer de volume");
    case ENAMETOOLONG:
        return QStringLiteral("Le nom est trop long");
    case ELOOP:
        return QStringLiteral("Trop de liens symboliques");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Trop de fichiers ouverts");
    case ENOMEM:
        return QStringLiteral("Mémoire insuffisante");
    case EFBIG:
        return QStringLiteral("Le fichier est trop volumineux");
    case EINVAL:
        return QStringLiteral("Argument invalide");
    case ENODEV:
    case ENXIO:
        return QStringLiteral("Périphérique introuvable");
    case ENOMEDIUM:
        return QStringLiteral("Aucun support dans le lecteur");
    case ETXTBSY:
        return QStringLiteral("Le fichier est en cours d'utilisation");
    case EAGAIN:
        return QStringLiteral("Ressource momentanément indisponible");
    case EINTR:
        return QStringLiteral("Opération interrompue");
    case ETIMEDOUT:
        return QStringLiteral("Le délai d'attente est dépassé");
    case ESTALE:
        return QStringLiteral("Le fichier distant n'est plus accessible");
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        return QStringLiteral("Le volume réseau est inaccessible");
    default:
        break;
    }
    if (objet == ObjetErreur::Dossier)
        return QStringLiteral("Lecture du dossier impossible (erreur système %1)").arg(code);
    return QStringLiteral("Opération impossible (erreur système %1)").arg(code);
}
