#pragma once
// What the comment lookups share: reading a comment file line by line, keeping
// no more of each line than a comment needs.
#include "core/commentaires.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace commentaires::lecture {

// Bytes kept of a line whose key spans `cle` bytes: the key, the longest comment kept
// in UTF-8 (three bytes at most for each UTF-16 unit), and a byte to tell that it goes on.
constexpr qsizetype garde(qsizetype cle)
{
    return cle + 3 * qsizetype(LongueurMax) + 4;
}

// A regular file opened for reading, its state in `etat`; -1 otherwise: a link
// to a device or a pipe would be read without end.
int ouvrir(const QString& fichier, struct stat* etat);

// Bytes of `tete` up to the last whole UTF-8 character: a line cut short may end
// inside one, which is no reason to read the line as Latin-1.
QByteArrayView sansCaractereCoupe(QByteArrayView tete);

// A comment at most LongueurMax characters long, "…" at its end when it was cut.
QString borne(QString texte, bool coupee);

// Calls surLigne(tete, coupee) for each line of the file, `tete` its first `garde`
// bytes at most and `coupee` whether the line went on past them; surLigne returns
// false to stop. False when the read failed, was cancelled or stopped.
template <class F>
bool parcourirLignes(int fd, qsizetype garde, const std::atomic<bool>* annulation, F&& surLigne)
{
    QByteArray bloc(256 * 1024, Qt::Uninitialized);
    QByteArray tete;
    bool coupee = false;
    for (;;) {
        if (annulation && annulation->load())
            return false;
        const ssize_t n = ::read(fd, bloc.data(), size_t(bloc.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        const char* p = bloc.constData();
        const char* const fin = p + n;
        while (p < fin) {
            const char* finLigne = static_cast<const char*>(std::memchr(p, '\n', size_t(fin - p)));
            const char* bout = finLigne ? finLigne : fin;
            const qsizetype prise = std::min<qsizetype>(bout - p, garde - tete.size());
            tete.append(p, prise);
            coupee = coupee || bout - p > prise;
            if (!finLigne)
                break;
            if (!surLigne(QByteArrayView(tete), coupee))
                return false;
            tete.truncate(0); // keeps its room for the next line
            coupee = false;
            p = finLigne + 1;
        }
    }
    return (tete.isEmpty() && !coupee) || surLigne(QByteArrayView(tete), coupee);
}

} // namespace commentaires::lecture
