#pragma once
// The per-user settings store: application, section and key, every value a text.
// The keys themselves, their defaults and conversions are in core/tablereglages.h.
#include <QList>
#include <QPair>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

class Reglages {
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

private:
    friend class LotReglages;
    void ouvrirLot() { ++lots_; }
    void fermerLot();

    QString chemin_;
    std::unique_ptr<QSettings> settings_;
    int lots_ = 0;
    int ecritures_ = 0;
    // What the open batch will write, in order; kept out of QSettings, which would
    // write it on its own at the next event if a dialog ran inside the batch.
    QList<QPair<QString, QString>> enAttente_;
    bool effacement_ = false;
};

// Groups the writes of one user action into one rewrite of the file: the file is
// written once when the outermost batch ends, before control goes back to the event
// loop, so a crash after the action loses nothing. Each rewrite stays atomic
// (QSettings writes a temporary file and renames it into place).
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
