#include "app/lignecommande.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <vector>

namespace {

// Qt's own options (QGuiApplication, QApplication, the X11 plugin): the ones followed by
// a value, the ones alone, and the ones that also come as "-option=value".
const char* const OptionsQtAvecValeur[] = {
    "platform",  "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowtitle",
    "title",     "qwindowicon",        "icon",          "session", "display",         "name",     "style",
    "stylesheet"};
const char* const OptionsQtSeules[] = {"reverse", "widgetcount", "testability", "nograb", "dograb", "sync"};
const char* const OptionsQtEgal[] = {"style", "stylesheet", "qmljsdebugger"};

template <size_t N>
bool parmi(const char* const (&liste)[N], QByteArrayView nom)
{
    return std::any_of(std::begin(liste), std::end(liste), [&](const char* o) { return nom == o; });
}

// How many arguments a Qt option takes with it (0 or 1); -1 when it is not Qt's.
// Qt reads "--option" as "-option".
int valeursOptionQt(QByteArrayView argument)
{
    QByteArrayView nom = argument.sliced(argument.startsWith("--") ? 2 : 1);
    const qsizetype egal = nom.indexOf('=');
    if (egal >= 0)
        return parmi(OptionsQtEgal, nom.first(egal)) ? 0 : -1;
    if (parmi(OptionsQtAvecValeur, nom))
        return 1;
    return parmi(OptionsQtSeules, nom) ? 0 : -1;
}

const char TexteAide[] = "Utilisation : ormelle [OPTION]... [--] [DOSSIER|FICHIER]\n"
                         "Visualiseur d’images : montre les images d’un dossier, une à une, en miniatures,\n"
                         "en plein écran ou en slideshow.\n"
                         "\n"
                         "  DOSSIER        ouvre ce dossier dans le navigateur\n"
                         "  FICHIER        ouvre le dossier de cette image, l’image sélectionnée et affichée\n"
                         "  (rien)         ouvre le dossier enregistré avec les réglages du slideshow\n"
                         "\n"
                         "  -h, --help     affiche cette aide et quitte\n"
                         "  -V, --version  affiche la version et quitte\n"
                         "  --             ce qui suit est un nom, même s’il commence par « - »\n"
                         "\n"
                         "Les options de Qt (-platform, -style, -display…) sont acceptées.\n"
                         "Réglages : ~/.config/Ormelle/Ormelle.ini ; commentaires : ~/.local/share/Ormelle/.\n"
                         "Page de manuel : man ormelle\n";

void ecrire(std::FILE* flux, const QString& texte)
{
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, size_t(octets.size()), flux);
    std::fflush(flux);
}

// What Qt said while the application was being built, kept for later.
struct MessageRetenu {
    QtMsgType type;
    QByteArray fichier, fonction, categorie;
    int ligne;
    QString texte;
};

struct Retenue {
    std::mutex verrou;
    bool active = false;
    QtMessageHandler precedent = nullptr;
    QString plateforme;
    std::vector<MessageRetenu> messages;
};

Retenue& retenue()
{
    static Retenue r;
    return r;
}

const char* ouNul(const QByteArray& octets)
{
    return octets.isNull() ? nullptr : octets.constData();
}

void rendre(QtMessageHandler precedent, const std::vector<MessageRetenu>& messages)
{
    for (const MessageRetenu& m : messages) {
        const QMessageLogContext contexte(ouNul(m.fichier), m.ligne, ouNul(m.fonction), ouNul(m.categorie));
        precedent(m.type, contexte, m.texte);
    }
}

QString messageSansAffichage(const QString& plateforme)
{
    const QString x11 = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    QString cause;
    if (!plateforme.isEmpty())
        cause = QStringLiteral("la plateforme graphique « %1 » ne démarre pas").arg(plateforme);
    else if (!x11.isEmpty() || !wayland.isEmpty())
        cause = QStringLiteral("impossible d’ouvrir l’affichage « %1 »").arg(x11.isEmpty() ? wayland : x11);
    else
        cause = QStringLiteral("aucun affichage (DISPLAY et WAYLAND_DISPLAY sont vides)");
    return QStringLiteral("ormelle : %1 ; Ormelle s’ouvre dans une session graphique X11 ou Wayland.\n").arg(cause);
}

void retenir(QtMsgType type, const QMessageLogContext& contexte, const QString& texte)
{
    Retenue& r = retenue();
    std::lock_guard<std::mutex> garde(r.verrou);
    if (type != QtFatalMsg) {
        r.messages.push_back({type, contexte.file, contexte.function, contexte.category, contexte.line, texte});
        return;
    }
    // The platform plugin could not start. Whoever asked Qt why sees its answer.
    if (qEnvironmentVariableIsSet("QT_DEBUG_PLUGINS"))
        rendre(r.precedent, r.messages);
    ecrire(stderr, messageSansAffichage(r.plateforme));
    // Nothing is left to clean up, and static destructors would meet a half-built application.
    std::_Exit(1);
}

QString plateformeDemandee(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "-platform" || argument == "--platform")
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

} // namespace

LigneCommande lireLigneCommande(int& argc, char** argv)
{
    LigneCommande ligne;
    bool nomLu = false;
    bool nomsSeulement = false;
    int gardes = 1;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (nomsSeulement || !argument.startsWith('-') || argument == "-") {
            if (!nomLu)
                ligne.demande = QString::fromLocal8Bit(argv[i]);
            nomLu = true;
        } else if (argument == "--") {
            nomsSeulement = true;
        } else if (argument == "-h" || argument == "--help") {
            ligne.action = LigneCommande::Aide;
            return ligne;
        } else if (argument == "-V" || argument == "--version") {
            ligne.action = LigneCommande::Version;
            return ligne;
        } else if (const int valeurs = valeursOptionQt(argument); valeurs >= 0) {
            argv[gardes++] = argv[i];
            if (valeurs == 1 && i + 1 < argc)
                argv[gardes++] = argv[++i];
        } else {
            ligne.action = LigneCommande::Erreur;
            ligne.inconnue = QString::fromLocal8Bit(argv[i]);
            return ligne;
        }
    }
    argc = gardes;
    argv[argc] = nullptr;
    return ligne;
}

int repondreLigneCommande(const LigneCommande& ligne)
{
    switch (ligne.action) {
    case LigneCommande::Aide:
        ecrire(stdout, QString::fromUtf8(TexteAide));
        return 0;
    case LigneCommande::Version:
        ecrire(stdout, QStringLiteral("Ormelle " ORMELLE_VERSION "\n"));
        return 0;
    case LigneCommande::Erreur:
        ecrire(stderr, QStringLiteral("ormelle : option inconnue « %1 » ; ormelle --help donne les options.\n")
                           .arg(ligne.inconnue));
        return 2;
    case LigneCommande::Ouvrir:
        break;
    }
    return 0;
}

GardeAffichage::GardeAffichage(int argc, char** argv)
{
    Retenue& r = retenue();
    std::lock_guard<std::mutex> garde(r.verrou);
    r.plateforme = plateformeDemandee(argc, argv);
    r.active = true;
    r.precedent = qInstallMessageHandler(retenir);
}

void GardeAffichage::liberer()
{
    Retenue& r = retenue();
    std::vector<MessageRetenu> messages;
    QtMessageHandler precedent = nullptr;
    {
        std::lock_guard<std::mutex> garde(r.verrou);
        if (!r.active)
            return;
        r.active = false;
        precedent = r.precedent;
        messages.swap(r.messages);
    }
    qInstallMessageHandler(precedent);
    rendre(precedent, messages);
}
