#include "core/reglages.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString cheminParDefaut()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Ormelle/Ormelle.ini");
}

// QSettings would split a stored "a,b" into a list and read "@..." as a typed value
// if it were handed anything but a QString; every value goes in and out as one.
QString cleComplete(const QString& section, const QString& cle)
{
    return section + QLatin1Char('/') + cle;
}
} // namespace

Reglages::Reglages() : Reglages(cheminParDefaut())
{
}

Reglages::Reglages(const QString& cheminFichier)
    : chemin_(cheminFichier), settings_(std::make_unique<QSettings>(cheminFichier, QSettings::IniFormat))
{
}

Reglages::~Reglages() = default;

std::optional<QString> Reglages::lire(const QString& section, const QString& cle) const
{
    const QString k = cleComplete(section, cle);
    for (auto it = enAttente_.crbegin(); it != enAttente_.crend(); ++it)
        if (it->first == k)
            return it->second;
    if (effacement_ || !settings_->contains(k))
        return std::nullopt;
    const QVariant v = settings_->value(k);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

QString Reglages::GetSetting(const QString& application, const QString& section, const QString& cle,
                             const QString& defaut) const
{
    Q_UNUSED(application);
    return lire(section, cle).value_or(defaut);
}

void Reglages::SaveSetting(const QString& application, const QString& section, const QString& cle,
                           const QString& valeur)
{
    Q_UNUSED(application);
    LotReglages lot(*this);
    enAttente_.append({cleComplete(section, cle), valeur});
}

void Reglages::DeleteSetting(const QString& application)
{
    Q_UNUSED(application);
    LotReglages lot(*this);
    enAttente_.clear();
    effacement_ = true;
}

void Reglages::fermerLot()
{
    if (--lots_ > 0 || (enAttente_.isEmpty() && !effacement_))
        return;
    if (effacement_)
        settings_->clear();
    for (const auto& [cle, valeur] : enAttente_)
        settings_->setValue(cle, valeur);
    enAttente_.clear();
    effacement_ = false;
    QDir().mkpath(QFileInfo(chemin_).absolutePath());
    settings_->sync();
    ++ecritures_;
}
