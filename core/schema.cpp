#include "core/schema.h"

#include "core/reglages.h"
#include "core/tablereglages.h"

namespace {
// The roles are the first rows of the settings table, in the same order, which is
// also the order the keys are written in.
static_assert(static_cast<int>(Reglage::DebutDegrade) == 0 && static_cast<int>(Reglage::Visualisation) == NbRoles - 1);
Reglage reglageDe(Role r)
{
    return static_cast<Reglage>(static_cast<int>(r));
}

// The second scheme offered by the colour panel.
const quint32 SecondSchema[NbRoles] = {3355545, 10079487, 3355545, 10079487, 13822463, 3355545, 7377112};
} // namespace

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
        textes[i] = texteParDefaut(static_cast<Role>(i));
}

QColor SchemaCouleurs::couleur(Role r) const
{
    return versQColor(lireNombreCouleur((*this)[r]).value_or(nombreParDefaut(r)));
}

QString SchemaCouleurs::cle(Role r)
{
    return cleDe(reglageDe(r));
}
QString SchemaCouleurs::texteParDefaut(Role r)
{
    return ::texteParDefaut(reglageDe(r));
}
quint32 SchemaCouleurs::nombreParDefaut(Role r)
{
    return *lireNombreCouleur(texteParDefaut(r));
}
quint32 SchemaCouleurs::nombreSecondSchema(Role r)
{
    return SecondSchema[static_cast<int>(r)];
}

void SchemaCouleurs::lire(const Reglages& reglages)
{
    for (int i = 0; i < NbRoles; ++i)
        textes[i] = lireTexte(reglages, reglageDe(static_cast<Role>(i)));
}

void SchemaCouleurs::enregistrer(Reglages& reglages, Role r) const
{
    ecrireTexte(reglages, reglageDe(r), (*this)[r]);
}

void SchemaCouleurs::enregistrerTout(Reglages& reglages) const
{
    LotReglages lot(reglages);
    for (int i = 0; i < NbRoles; ++i)
        enregistrer(reglages, static_cast<Role>(i));
}

void SchemaCouleurs::reinitialiser()
{
    for (int i = 0; i < NbRoles; ++i)
        textes[i] = QString::number(nombreParDefaut(static_cast<Role>(i)));
}

void SchemaCouleurs::secondSchema()
{
    for (int i = 0; i < NbRoles; ++i)
        textes[i] = QString::number(SecondSchema[i]);
}
