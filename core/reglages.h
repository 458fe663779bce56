#pragma once
// The per-user settings store: application, section and key, every value a text.
// The keys themselves, their defaults and conversions are in core/tablereglages.h.
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <optional>

class Reglages : public QObject {
    Q_OBJECT
public:
    // The user's store: $XDG_CONFIG_HOME/Ormelle/Ormelle.ini.
    Reglages();
    // A store kept in the given INI file (tests, or another profile).
    explicit Reglages(const QString& cheminFichier);
    ~Reglages();
    Reglages(const Reglages&) = delete;
    Reglages& operator=(const Reglages&) = delete;

    QString fichier() const { return chemin_; }

    // nullopt when the key is absent; an empty text when it was stored empty.
    // Values written in an open batch are seen at once.
    std::optional<QString> lire(const QString& section, const QString& cle) const;

    QString GetSetting(const QString& application, const QString& section, const QString& cle,
                       const QString& defaut) const;
    // On disk before it returns, or at the end of the enclosing LotReglages.
    void SaveSetting(const QString& application, const QString& section, const QString& cle, const QString& valeur);
    void DeleteSetting(const QString& application);

    // How many times this store has rewritten its file (attempts, failed ones included).
    int ecrituresFichier() const { return ecritures_; }

signals:
    // The first write of the run that could not reach the disk (read-only home, full
    // disk...), with its reason in French. The values stay in memory, every later write
    // tries again with all that is not on disk yet, and no further failure is told.
    void ecritureImpossible(const QString& raison);

private:
    friend class LotReglages;
    void ouvrirLot() { ++lots_; }
    void fermerLot();
    void charger();
    // 0 when the file on disk holds every change, an errno value otherwise.
    int ecrire();

    QString chemin_;
    // What the program reads: the file as last read or written, with every change since.
    QMap<QString, QString> valeurs_;
    // The changes not on disk yet, in order: those of the open batch, and those of
    // writes that failed. Kept out of QSettings, which would write them on its own at
    // the next event if a dialog ran inside the batch.
    QList<QPair<QString, QString>> nonEcrits_;
    bool effacement_ = false; // the file is to be emptied before nonEcrits_ apply
    int lots_ = 0;
    int ecritures_ = 0;
    bool echecSignale_ = false;
};

// Groups the writes of one user action into one rewrite of the file: the file is
// written once when the outermost batch ends, before control goes back to the event
// loop, so a crash after the action loses nothing. Each rewrite is atomic and durable:
// a new file beside the old one, synced to the disk, renamed over it, folder synced.
class LotReglages {
public:
    explicit LotReglages(Reglages& reglages) : reglages_(reglages) { reglages_.ouvrirLot(); }
    ~LotReglages() { reglages_.fermerLot(); }
    LotReglages(const LotReglages&) = delete;
    LotReglages& operator=(const LotReglages&) = delete;

private:
    Reglages& reglages_;
};

#include "core/tablereglages.h" // the key names (cles::) every caller of the store uses
