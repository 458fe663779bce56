#pragma once
// Tells when what a folder holds changes: a file created, removed, renamed into
// or out of it, or rewritten in place (closed after writing, or its times set).
// inotify straight, since a directory watch of QFileSystemWatcher says nothing
// of a file rewritten in place, which every cache must hear of.
#include <QObject>
#include <QString>

class QSocketNotifier;

class VeilleDossier : public QObject {
    Q_OBJECT
public:
    explicit VeilleDossier(QObject* parent = nullptr);
    ~VeilleDossier() override;

    // Watches `dossier` instead of the folder watched before; empty: none.
    // False when it cannot be watched (the list then follows only when asked).
    bool surveiller(const QString& dossier);
    QString dossier() const { return dossier_; }

signals:
    void change();

private:
    void lire();

    int fd_ = -1;
    int veille_ = -1;
    QString dossier_;
    QSocketNotifier* notificateur_ = nullptr;
};
