#include "app/profilecran.h"

#include "platform/couleurs.h"
#include "platform/profilicc.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// The root window's _ICC_PROFILE property (the first screen's), bounded in size.
QByteArray lireProprieteRacine(xcb_connection_t* connexion)
{
    const xcb_screen_t* ecran = xcb_setup_roots_iterator(xcb_get_setup(connexion)).data;
    if (!ecran)
        return {};
    static const char nom[] = "_ICC_PROFILE";
    xcb_intern_atom_reply_t* atome =
        xcb_intern_atom_reply(connexion, xcb_intern_atom(connexion, 1, sizeof nom - 1, nom), nullptr);
    if (!atome)
        return {};
    const xcb_atom_t propriete = atome->atom;
    std::free(atome);
    if (propriete == XCB_ATOM_NONE)
        return {};
    // The length is asked in 32-bit words; a byte more tells a profile too large.
    const xcb_get_property_cookie_t demande = xcb_get_property(
        connexion, 0, ecran->root, propriete, XCB_GET_PROPERTY_TYPE_ANY, 0, uint32_t(profilicc::TailleMax / 4 + 1));
    xcb_get_property_reply_t* reponse = xcb_get_property_reply(connexion, demande, nullptr);
    if (!reponse)
        return {};
    QByteArray profil;
    const int longueur = xcb_get_property_value_length(reponse);
    if (reponse->format == 8 && longueur > 0 && longueur <= profilicc::TailleMax)
        profil = QByteArray(static_cast<const char*>(xcb_get_property_value(reponse)), longueur);
    std::free(reponse);
    return profil;
}

} // namespace

void lireProfilEcran()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    couleurs::setProfilEcran(lireProprieteRacine(x11->connection()));
}
