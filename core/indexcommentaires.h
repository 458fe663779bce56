#pragma once
// The comment files of a viewer, each read once and kept indexed by picture path:
// the slideshow looks a comment up on every step, and a comment file rarely
// changes between two. A file is known by its identity (device, inode, size,
// modification time), so that an outside edit, or a record appended, has it read
// again on the next lookup. Safe to use from several threads at once.
#include <QHash>
#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

namespace commentaires {

class IndexCommentaires {
public:
    // What the indexes held at once may take, in bytes. A file whose index alone
    // would take more is searched line by line on every lookup, as it is read.
    static constexpr qsizetype BudgetParDefaut = 64 * 1024 * 1024;

    explicit IndexCommentaires(qsizetype budget = BudgetParDefaut);
    ~IndexCommentaires();
    IndexCommentaires(const IndexCommentaires&) = delete;
    IndexCommentaires& operator=(const IndexCommentaires&) = delete;

    // What commentaires::chercher gives for the same file and picture.
    QString chercher(const QString& fichier, const QString& cheminImage, const std::atomic<bool>* annulation = nullptr);

    // Drops what is held of a file, after Ormelle wrote to it.
    void oublier(const QString& fichier);

    // How many times a whole file was read to be indexed.
    int lectures() const { return lectures_.load(); }

    struct Identite {
        quint64 peripherique = 0, inode = 0;
        qint64 taille = -1, modifieNs = 0;
        bool operator==(const Identite& autre) const;
    };
    struct Table;

private:
    struct Entree {
        Identite identite;
        std::shared_ptr<const Table> table; // null: too large to hold
        quint64 usage = 0;
    };
    // The index of a file as it is now; null when it is too large to hold, nullopt
    // when the file cannot be read or the read was cancelled.
    std::optional<std::shared_ptr<const Table>> table(const QString& fichier, const std::atomic<bool>* annulation);
    void garder(const QString& fichier, Entree entree);

    const qsizetype budget_;
    QMutex mutex_;
    QHash<QString, Entree> entrees_;
    quint64 horloge_ = 0; // orders the entries by last use
    std::atomic<int> lectures_{0};
};

} // namespace commentaires
