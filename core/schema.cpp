#include "core/schema.h"

#include "app/reglages.h"

namespace {
struct Definition {
    const char* cle;
    const char* texte;
    quint32 defaut;
    quint32 second;
};
// Table order is also the order keys are written in.
const Definition Definitions[NbRoles] = {
    {"Début du dégradé", "&H808000", 8421376, 3355545},
    {"Fin du dégradé", "&HE0E0E0", 14737632, 10079487},
    {"Texte des boutons", "&H808000", 8421376, 3355545},
    {"'Lumière' des boutons", "&HDEFF6C", 14614380, 10079487},
    {"Autres textes", "&HFFFFFF", 16777215, 13822463},
    {"Fond des fenêtres", "&H808000", 8421376, 3355545},
    {"Visualisation, dossiers, etc.", "&HD2D200", 13816320, 7377112},
};
const Definition& def(Role r) { return Definitions[static_cast<int>(r)]; }
}

std::optional<quint32> lireNombreCouleur(const QString& texte)
{
    bool ok = false;
    quint64 v = 0;
    if (texte.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        const QString hex = texte.mid(2);
        if (hex.isEmpty() || hex.size() > 8)
            return std::nullopt;
        v = hex.toULongLong(&ok, 16);
    } else {
        for (QChar c : texte)
            if (!c.isDigit() || c.unicode() > 127)
                return std::nullopt;
        v = texte.toULongLong(&ok, 10);
    }
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<quint32>(v);
}

QColor versQColor(quint32 n)
{
    return QColor(n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF);
}

quint32 depuisQColor(const QColor& c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

SchemaCouleurs::SchemaCouleurs()
{
    for (int i = 0; i < NbRoles; ++i)
        textes[i] = QString::fromUtf8(Definitions[i].texte);
}

QColor SchemaCouleurs::couleur(Role r) const
{
    return versQColor(lireNombreCouleur((*this)[r]).value_or(def(r).defaut));
}

QString SchemaCouleurs::cle(Role r) { return QString::fromUtf8(def(r).cle); }
QString SchemaCouleurs::texteParDefaut(Role r) { return QString::fromUtf8(def(r).texte); }
quint32 SchemaCouleurs::nombreParDefaut(Role r) { return def(r).defaut; }
quint32 SchemaCouleurs::nombreSecondSchema(Role r) { return def(r).second; }

void SchemaCouleurs::lire(const Reglages& reglages)
{
    for (int i = 0; i < NbRoles; ++i) {
        const Role r = static_cast<Role>(i);
        textes[i] = reglages.GetSetting(cles::Application, cles::SectionCouleurs, cle(r), texteParDefaut(r));
    }
}

void SchemaCouleurs::enregistrer(Reglages& reglages, Role r) const
{
    reglages.SaveSetting(cles::Application, cles::SectionCouleurs, cle(r), (*this)[r]);
}

void SchemaCouleurs::enregistrerTout(Reglages& reglages) const
{
    for (int i = 0; i < NbRoles; ++i)
        enregistrer(reglages, static_cast<Role>(i));
}

void SchemaCouleurs::reinitialiser()
{
    for (int i = 0; i < NbRoles; ++i)
        textes[i] = QString::number(Definitions[i].defaut);
}

void SchemaCouleurs::secondSchema()
{
    for (int i = 0; i < NbRoles; ++i)
        textes[i] = QString::number(Definitions[i].second);
}
