#include "app/skin.h"

#include "platform/fenetrage.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWindow>

// ---------------------------------------------------------------- ControleSkin

void ControleSkin::setDegrade(const QColor& debut, const QColor& fin)
{
    debut_ = debut;
    fin_ = fin;
    widget()->update();
}

void ControleSkin::setCouleurTexte(const QColor& c)
{
    texte_ = c;
    widget()->update();
}

void ControleSkin::setSens(Qt::Orientation o)
{
    sens_ = o;
    widget()->update();
}

void ControleSkin::setAvecDegrade(bool oui)
{
    avecDegrade_ = oui;
    widget()->update();
}

void ControleSkin::setInfoBulle(const QString& texte, const bool* actif)
{
    infoBulle_ = texte;
    infoBullesActives_ = actif;
}

void ControleSkin::majInfoBulle()
{
    if (!infoBullesActives_)
        return;
    widget()->setToolTip(*infoBullesActives_ ? infoBulle_ : QString());
}

// At a fractional scale (1.5) a control's edge falls inside a device pixel: filled with
// antialiasing, that pixel is half this control and half what lies under it, and two
// bands that meet show a seam of the window's colour. Filled without antialiasing and
// a pixel beyond the rectangle (the control's own clip keeps it in), every device pixel
// of the control is its own.
void ControleSkin::peindreFond(QPainter& p, const QRectF& r, bool inverse) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRectF plein = r.adjusted(-1, -1, 1, 1);
    if (!avecDegrade_) {
        p.fillRect(plein, debut_);
    } else {
        const QPointF fin = sens_ == Qt::Vertical ? r.bottomLeft() : r.topRight();
        QLinearGradient g(r.topLeft(), fin);
        g.setColorAt(0, inverse ? fin_ : debut_);
        g.setColorAt(1, inverse ? debut_ : fin_);
        p.fillRect(plein, g);
    }
    p.restore();
}

namespace {
QColor assombrir(const QColor& c, int facteur)
{
    return c.darker(facteur);
}
} // namespace

// ---------------------------------------------------------------- BoutonSkin

BoutonSkin::BoutonSkin(QWidget* parent, const QString& nom, const QString& texte) : QAbstractButton(parent)
{
    setObjectName(nom);
    setText(texte);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    QFont f = font();
    f.setFamily(QStringLiteral("Verdana"));
    f.setPointSizeF(8.25);
    f.setBold(true);
    setFont(f);
}

void BoutonSkin::setCouleurLumiere(const QColor& c)
{
    lumiere_ = c;
    update();
}

void BoutonSkin::setBande(bool oui)
{
    bande_ = oui;
    setAttribute(Qt::WA_TransparentForMouseEvents, oui);
    update();
}

void BoutonSkin::setIconeSvg(const QString& ressource)
{
    setIcon(QIcon(ressource));
    update();
}

QSize BoutonSkin::sizeHint() const
{
    return QSize(80, 21);
}

void BoutonSkin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    const bool enfonce = isDown() && !bande_;
    peindreFond(p, r, enfonce);

    if (!bande_) {
        // A thin bevel: light above, shadow below, so buttons read as raised.
        p.setPen(QPen(QColor(255, 255, 255, enfonce ? 40 : 90), 1));
        p.drawLine(r.topLeft() + QPointF(0.5, 0.5), r.topRight() + QPointF(-0.5, 0.5));
        p.setPen(QPen(QColor(0, 0, 0, enfonce ? 90 : 60), 1));
        p.drawLine(r.bottomLeft() + QPointF(0.5, -0.5), r.bottomRight() + QPointF(-0.5, -0.5));
        if (survol_ && isEnabled()) {
            p.fillRect(r.adjusted(1, 1, -1, -1), QColor(255, 255, 255, 28));
        }
    }

    const qreal opacite = isEnabled() || bande_ ? 1.0 : 0.45;
    p.setOpacity(opacite);
    QRectF zone = r.adjusted(4, 1, -4, -1);
    if (!icon().isNull()) {
        const int cote = int(qMin(r.width(), r.height()) * 0.72);
        const QSize taille(cote, cote);
        QRect ri(QPoint(0, 0), taille);
        if (text().isEmpty()) {
            ri.moveCenter(rect().center());
        } else {
            ri.moveCenter(QPoint(int(zone.left()) + cote / 2 + 2, rect().center().y()));
            zone.setLeft(ri.right() + 4);
        }
        if (enfonce)
            ri.translate(1, 1);
        icon().paint(&p, ri, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    if (!text().isEmpty()) {
        const bool lumiere = survol_ && lumiereTexte_ && isEnabled() && !bande_;
        p.setPen(lumiere ? lumiere_ : texte_);
        p.setFont(font());
        if (enfonce)
            zone.translate(1, 1);
        int drapeaux = int(alignement_);
        if (retourLigne_)
            drapeaux |= Qt::TextWordWrap;
        p.drawText(zone, drapeaux, text());
    }
}

void BoutonSkin::mousePressEvent(QMouseEvent* e)
{
    emit sourisEnfoncee(e->button(), e->modifiers(), e->position().toPoint());
    if (deplace_) {
        // The X11 move request names the left button whatever was pressed: a window manager
        // then waits for a left release that never comes and the window sticks to the
        // pointer. Other buttons move the window here, for as long as they are held.
        QWindow* w = window()->windowHandle();
        const bool systeme = e->button() == Qt::LeftButton || QGuiApplication::platformName() != QLatin1String("xcb");
        // Refused under Wayland, the move stays refused: the compositor alone places windows,
        // and a manual move would only change where Qt believes the window stands.
        deplacementManuel_ = !(systeme && w && w->startSystemMove()) && fenetrage::placementLibre();
        ancrage_ = e->globalPosition().toPoint() - window()->frameGeometry().topLeft();
        e->accept();
        return;
    }
    QAbstractButton::mousePressEvent(e);
}

void BoutonSkin::mouseMoveEvent(QMouseEvent* e)
{
    majInfoBulle();
    emit sourisDeplacee(e->buttons(), e->modifiers(), e->position().toPoint());
    if (deplacementManuel_ && e->buttons() != Qt::NoButton) {
        window()->move(e->globalPosition().toPoint() - ancrage_);
        return;
    }
    QAbstractButton::mouseMoveEvent(e);
}

void BoutonSkin::mouseReleaseEvent(QMouseEvent* e)
{
    deplacementManuel_ = false;
    QAbstractButton::mouseReleaseEvent(e);
}

void BoutonSkin::enterEvent(QEnterEvent* e)
{
    survol_ = true;
    update();
    QAbstractButton::enterEvent(e);
}

void BoutonSkin::leaveEvent(QEvent* e)
{
    survol_ = false;
    update();
    QAbstractButton::leaveEvent(e);
}

// ---------------------------------------------------------------- PanneauSkin

PanneauSkin::PanneauSkin(QWidget* parent, const QString& nom, const QString& titre) : QWidget(parent), titre_(titre)
{
    setObjectName(nom);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    QFont f = font();
    f.setFamily(QStringLiteral("Verdana"));
    f.setPointSizeF(8.25);
    f.setBold(true);
    setFont(f);
}

void PanneauSkin::setTitre(const QString& t)
{
    titre_ = t;
    update();
}

int PanneauSkin::hauteurTitre() const
{
    return titre_.isEmpty() ? 0 : fontMetrics().height() + 4;
}

void PanneauSkin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF r = rect();
    peindreFond(p, r, false);
    if (bandeauTitre_ && !titre_.isEmpty())
        p.fillRect(QRectF(0, 0, r.width(), hauteurTitre()), fin_);
    if (bordure_) {
        p.setPen(QPen(assombrir(fin_, 160), 1));
        p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
        p.setPen(QPen(QColor(255, 255, 255, 70), 1));
        p.drawLine(QPointF(1.5, 1.5), QPointF(r.width() - 1.5, 1.5));
    }
    if (!titre_.isEmpty()) {
        p.setPen(texte_);
        p.setFont(font());
        p.drawText(r.adjusted(6, 2, -6, 0).toRect(), int(alignementTitre_ | Qt::AlignTop), titre_);
    }
}

void PanneauSkin::setBoutonsClavier(QAbstractButton* defaut, QAbstractButton* annuler)
{
    defaut_ = defaut;
    annuler_ = annuler;
}

void PanneauSkin::keyPressEvent(QKeyEvent* e)
{
    QAbstractButton* bouton = nullptr;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        bouton = defaut_;
        break;
    case Qt::Key_Escape:
        bouton = annuler_;
        break;
    default:
        break;
    }
    if (bouton && bouton->isEnabled()) {
        bouton->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void PanneauSkin::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (e->spontaneous() || (!defaut_ && !annuler_))
        return;
    QWidget* avant = window()->focusWidget();
    if (avant != this && !isAncestorOf(avant))
        focusAvant_ = avant;
    setFocus(Qt::OtherFocusReason);
}

void PanneauSkin::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    if (e->spontaneous())
        return;
    QWidget* focus = window()->focusWidget();
    // Before Qt passes the focus on to whatever follows the panel in the tab chain.
    if ((focus == this || isAncestorOf(focus)) && focusAvant_ && focusAvant_->isVisible() && focusAvant_->isEnabled())
        focusAvant_->setFocus(Qt::OtherFocusReason);
    focusAvant_.clear();
}

void PanneauSkin::mousePressEvent(QMouseEvent* e)
{
    presse_ = e->button() == Qt::LeftButton;
    QWidget::mousePressEvent(e);
}

void PanneauSkin::mouseReleaseEvent(QMouseEvent* e)
{
    if (presse_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clique();
    presse_ = false;
    QWidget::mouseReleaseEvent(e);
}

void PanneauSkin::mouseMoveEvent(QMouseEvent* e)
{
    majInfoBulle();
    emit sourisDeplacee(e->buttons(), e->modifiers(), e->position().toPoint());
    QWidget::mouseMoveEvent(e);
}

// ---------------------------------------------------------------- plain widgets

void peindreLibelle(QWidget* libelle, const QColor& texte)
{
    QPalette pal = libelle->palette();
    pal.setColor(QPalette::WindowText, texte);
    pal.setColor(QPalette::Text, texte);
    pal.setColor(QPalette::ButtonText, texte);
    libelle->setPalette(pal);
}

void peindreFondWidget(QWidget* w, const QColor& fond, const QColor& texte)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, fond);
    pal.setColor(QPalette::Base, fond);
    pal.setColor(QPalette::Button, fond);
    if (texte.isValid()) {
        pal.setColor(QPalette::WindowText, texte);
        pal.setColor(QPalette::Text, texte);
        pal.setColor(QPalette::ButtonText, texte);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}
