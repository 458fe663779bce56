#pragma once
// Thumbnails already decoded, kept within a number of bytes so that paging back
// (or onto a page decoded ahead) shows at once. The least recently used go first.
#include "core/imageprete.h"

#include <QHash>
#include <QString>
#include <list>

class CacheMiniatures {
public:
    explicit CacheMiniatures(qint64 budget = 24 * 1024 * 1024) : budget_(budget) {}

    // Keeps `image` under `cle`; a result larger than the whole budget is not kept.
    void garder(const QString& cle, const ImagePrete& image);
    // The kept result, marked as the most recently used; false when absent.
    bool trouver(const QString& cle, ImagePrete* image);
    bool contient(const QString& cle) const { return index_.contains(cle); }
    // Forgets every result of a file (it was changed, renamed or deleted).
    void oublier(const QString& chemin);
    qint64 octets() const { return octets_; }
    qint64 budget() const { return budget_; }

private:
    struct Entree {
        QString cle;
        ImagePrete image;
    };
    void retirer(std::list<Entree>::iterator it);

    qint64 budget_;
    qint64 octets_ = 0;
    std::list<Entree> ordre_; // most recently used first
    QHash<QString, std::list<Entree>::iterator> index_;
};
