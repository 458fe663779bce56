#include "app/services.h"

#include "app/bussession.h"
#include "sound/moduleson.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QProcess>
#include <QFileInfo>
#include <QStandardPaths>

std::optional<QColor> ServicesBureau::choisirCouleur(QWidget* parent, const QColor& initiale)
{
    const QColor c = QColorDialog::getColor(initiale, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> ServicesBureau::choisirPolice(QWidget* parent, const QFont& initiale)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initiale, parent);
    if (!ok)
        return std::nullopt;
    return f;
}

std::optional<QString> ServicesBureau::saisirTexte(QWidget* parent, const QString& titre, const QString& invite,
                                                   const QString& defaut)
{
    bool ok = false;
    const QString t = QInputDialog::getText(parent, titre, invite, QLineEdit::Normal, defaut, &ok);
    if (!ok)
        return std::nullopt;
    return t;
}

QString ServicesBureau::choisirFichierEnregistrement(QWidget* parent, const QString& titre, const QString& chemin,
                                                     const QString& filtre)
{
    return QFileDialog::getSaveFileName(parent, titre, chemin, filtre, nullptr, QFileDialog::DontConfirmOverwrite);
}

QString ServicesBureau::choisirFichierOuverture(QWidget* parent, const QString& titre, const QString& dossier,
                                                const QString& filtre)
{
    return QFileDialog::getOpenFileName(parent, titre, dossier, filtre);
}

QString filtreDialogueQt(const QString& filtreConcu)
{
    const QStringList parties = filtreConcu.split(QLatin1Char('|'));
    QStringList filtres;
    for (qsizetype i = 0; i + 1 < parties.size(); i += 2) {
        QStringList motifs = parties[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file, with or without a dot in its name.
        for (QString& m : motifs)
            if (m.trimmed() == QLatin1String("*.*"))
                m = QStringLiteral("*");
        filtres << QStringLiteral("%1 (%2)").arg(parties[i], motifs.join(QLatin1Char(' ')));
    }
    return filtres.join(QStringLiteral(";;"));
}

std::optional<QString> ServicesBureau::choisirFichierSon(QWidget* parent, const QString& titre, const QString& filtre)
{
    // An empty folder makes the dialog open on the last folder visited in the run.
    const QString qt = filtreDialogueQt(filtre);
    QString choisi = qt.section(QStringLiteral(";;"), 0, 0);
    const QString chemin = QFileDialog::getOpenFileName(parent, titre, QString(), qt, &choisi);
    if (chemin.isEmpty())
        return std::nullopt;
    return chemin;
}

QMessageBox::StandardButton ServicesBureau::questionSysteme(QWidget* parent, QMessageBox::Icon icone,
                                                            const QString& titre, const QString& texte,
                                                            QMessageBox::StandardButtons boutons)
{
    QMessageBox boite(icone, titre, texte, boutons, parent);
    return static_cast<QMessageBox::StandardButton>(boite.exec());
}

bool ServicesBureau::demarrerProgramme(const QString& programme, const QStringList& arguments)
{
    return QProcess::startDetached(programme, arguments);
}

bool ServicesBureau::programmeInstalle(const QString& programme)
{
    if (programme.startsWith(QLatin1Char('/')))
        return QFileInfo(programme).isExecutable();
    return !QStandardPaths::findExecutable(programme).isEmpty();
}

bool ServicesBureau::ouvrirUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void ServicesBureau::montrerDansGestionnaire(const QString& adresse, bool dossier, QObject* contexte,
                                             std::function<void(bool)> reponse)
{
    if (!busSessionPresent()) {
        reponse(false);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        reponse(false);
        return;
    }
    const QString nom = QStringLiteral("org.freedesktop.FileManager1");
    QDBusMessage appel =
        QDBusMessage::createMethodCall(nom, QStringLiteral("/org/freedesktop/FileManager1"), nom,
                                       dossier ? QStringLiteral("ShowFolders") : QStringLiteral("ShowItems"));
    appel << QStringList{adresse} << QString();
    // Never waited for: a file manager started by the bus may take a while to answer,
    // and one that hangs must not hang the window with it.
    auto* attente = new QDBusPendingCallWatcher(bus.asyncCall(appel), contexte);
    QObject::connect(attente, &QDBusPendingCallWatcher::finished, contexte,
                     [reponse = std::move(reponse)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         reponse(!w->isError());
                     });
}

void ServicesBureau::copierImage(const QImage& image)
{
    if (image.isNull())
        QGuiApplication::clipboard()->clear();
    else
        QGuiApplication::clipboard()->setImage(image);
}

void ServicesBureau::sablier(bool actif)
{
    if (actif)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void ServicesBureau::jouerSon(int numero)
{
    // The cues play from the sound module, loaded by the first of them.
    if (const PointsSon* son = moduleson::points())
        son->jouerCue(numero);
}
