// libFuzzer entry point over the comment files: a lookup in whatever the file holds,
// then a record appended to it, which the next lookup must give back as written.
// The input is the file's bytes, then, after the last two NUL bytes, the picture's
// path (its bytes as the file system gives them) and, after a NUL, its comment.
#include "core/commentaires.h"
#include "platform/nomsfichiers.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
QString fichierEssai()
{
    // A memory-backed folder when there is one: every append syncs its file.
    const char* dossier = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return QString::fromLatin1(dossier) + QStringLiteral("/fuzz_commentaires_%1.txt").arg(::getpid());
}

bool ecrireFichier(const QString& fichier, const QByteArray& octets)
{
    const int fd = ::open(octetsDepuisChemin(fichier).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, octets.constData(), size_t(octets.size())) == octets.size();
    ::close(fd);
    return ok;
}

// What a lookup gives back for a comment as typed: line breaks become spaces, and a
// comment past the longest one shown comes cut, with "…".
QString attendu(const QString& commentaire)
{
    const QString ligne = commentaires::ligne(QStringLiteral("/x"), commentaire);
    QString texte = ligne.mid(3); // after the key "/x" and its "/"
    if (texte.size() <= commentaires::LongueurMax)
        return texte;
    texte.truncate(commentaires::LongueurMax);
    if (texte.back().isHighSurrogate())
        texte.chop(1);
    return texte + QChar(0x2026);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray entree(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype separation = entree.lastIndexOf(QByteArrayView("\0\0", 2));
    const QByteArray contenu = separation < 0 ? entree : entree.left(separation);
    const QByteArray reste = separation < 0 ? QByteArray() : entree.mid(separation + 2);
    const qsizetype nul = reste.indexOf('\0');
    QByteArray octetsChemin = nul < 0 ? reste : reste.left(nul);
    const QString commentaire = nul < 0 ? QString() : QString::fromUtf8(reste.mid(nul + 1));
    // Every picture path is absolute; a NUL byte cannot be in one.
    if (!octetsChemin.startsWith('/'))
        octetsChemin.prepend('/');
    const QString chemin = cheminDepuisOctets(octetsChemin);

    static const QString fichier = fichierEssai();
    if (!ecrireFichier(fichier, contenu))
        return 0;
    const QString avant = commentaires::chercher(fichier, chemin);
    if (avant.size() > commentaires::LongueurMax + 1)
        abort(); // a lookup never gives more than the longest comment shown
    if (!commentaires::ajouter(fichier, chemin, commentaire))
        return 0;
    if (commentaires::chercher(fichier, chemin) != attendu(commentaire))
        abort(); // what was appended is what is looked up
    return 0;
}
