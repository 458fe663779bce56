// What the user does in the viewer: the slideshow timer, the keys of the
// hidden list, the mouse buttons, the clipboard copy and leaving.
#include "fullscreen/pleinecran.h"

#include "app/general.h"
#include "app/services.h"
#include "fullscreen/surfaces.h"
#include "platform/fenetrage.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>

void PleinEcran::etapeMinuterie()
{
    m_sequence.setAleatoire(g.diaporama.ordreAleatoire);
    const std::optional<int> position = m_sequence.etape();
    if (!position)
        return; // an empty folder: the background stays and the timer goes on
    allerA(*position);
}

QStringList PleinEcran::fichiers() const
{
    return g.modele.images();
}

bool PleinEcran::eventFilter(QObject* objet, QEvent* e)
{
    // A Wayland compositor applies a new state (full screen or not) with the first frame
    // drawn after confirming it; at an unchanged size Qt would draw none.
    if (objet == windowHandle() && e->type() == QEvent::WindowStateChange && e->spontaneous()
        && !fenetrage::placementLibre())
        update();
    if (objet == m_fichier1 && e->type() == QEvent::KeyPress)
        return toucheFichier1(static_cast<QKeyEvent*>(e)->key());
    return QDialog::eventFilter(objet, e);
}

bool PleinEcran::toucheFichier1(int touche)
{
    const int n = int(g.modele.images().size());
    const int ligne = positionCourante();
    const int page = std::max(1, m_fichier1->viewport()->height() / std::max(1, m_fichier1->sizeHintForRow(0)));
    int cible = -2;
    switch (touche) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        cible = navigation::suivant(ligne, n);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        cible = navigation::precedent(ligne, n);
        break;
    case Qt::Key_Home:
        cible = navigation::premier(n);
        break;
    case Qt::Key_End:
        cible = navigation::dernier(n);
        break;
    case Qt::Key_PageDown:
        cible = navigation::pageSuivante(ligne, n, page);
        break;
    case Qt::Key_PageUp:
        cible = navigation::pagePrecedente(ligne, n, page);
        break;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        fermerParTouche();
        return true;
    default:
        return false;
    }
    if (cible >= 0 && cible != ligne) {
        // A running slideshow goes on from the picture the keys reached.
        m_sequence.setIndex(cible);
        allerA(cible);
    }
    return true;
}

void PleinEcran::reject()
{
    fermerParTouche();
}

void PleinEcran::fermerParTouche()
{
    if (m_curseurMasque)
        montrerCurseur();
    if (!m_sablierPose) {
        g.services.sablier(true); // the main window restores the pointer
        m_sablierPose = true;
    }
    done(QDialog::Accepted);
}

void PleinEcran::mousePressEvent(QMouseEvent* e)
{
    sourisEnfoncee(e, false);
}

// A notch of the wheel is an arrow key: down for the next picture, up for the one
// before. Touchpads send fractions of a notch, summed until they make one.
void PleinEcran::wheelEvent(QWheelEvent* e)
{
    e->accept();
    m_rouletteCumul += e->angleDelta().y();
    constexpr int cran = QWheelEvent::DefaultDeltasPerStep;
    while (std::abs(m_rouletteCumul) >= cran) {
        const bool suivante = m_rouletteCumul < 0;
        m_rouletteCumul += suivante ? cran : -cran;
        toucheFichier1(suivante ? Qt::Key_Down : Qt::Key_Up);
    }
}

void PleinEcran::sourisEnfoncee(QMouseEvent* e, bool surImage)
{
    if (e->button() == Qt::MiddleButton) {
        fermerParTouche(); // as Esc
        return;
    }
    if (e->button() == Qt::LeftButton) {
        if (m_vueUnique) {
            m_vueUnique = false;
            // Wayland keeps the pointer where the user left it.
            QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
            if (ecran && fenetrage::placementLibre())
                QCursor::setPos(ecran, ecran->geometry().center());
            done(QDialog::Accepted);
            return;
        }
        if (m_demandes.panneau) // the chooser panel is open over the picture
            return;
        if (m_curseurMasque)
            montrerCurseur();
        g.DiaporamaEnCours = false;
        m_minuterie.stop();
        if (m_ouvreurMenu)
            m_ouvreurMenu(*this, e->globalPosition().toPoint()); // ends with AfficheImage
        else
            AfficheImage();
    } else if (e->button() == Qt::RightButton) {
        if (surImage && m_vueUnique) {
            CopierImage(g.CopieEcranEntier); // the extent last chosen in the menu
            m_vueUnique = false;
            fermerParTouche();
        } else if (e->modifiers() & Qt::ControlModifier) {
            if (m_minuterie.isActive())
                m_minuterie.stop();
            else
                m_minuterie.start(std::clamp(g.diaporama.dureePause, 1, 60) * 1000);
            JouerSon(g, 19);
        }
    }
}

void PleinEcran::CopierImage(bool ecranEntier)
{
    // The picture alone is its own pixels, wherever it is centred; the whole
    // screen is a grab of the viewer's own window, which covers it, comment included.
    const QImage copie = ecranEntier ? grab().toImage() : imageAffichee();
    if (copie.isNull()) {
        afficherMessage(QStringLiteral("Erreur"), QStringLiteral("Il n’y a aucune image à copier."), true, 21);
        return;
    }
    {
        Sablier sablier(g.services);
        g.services.copierImage(copie);
        JouerSon(g, 19);
    }
}

void PleinEcran::masquerCurseur()
{
    if (m_curseurMasque)
        return;
    m_curseurMasque = true;
    appliquerPointeurs();
    emit curseurBascule(false);
}

void PleinEcran::montrerCurseur()
{
    if (!m_curseurMasque)
        return;
    m_curseurMasque = false;
    appliquerPointeurs();
    emit curseurBascule(true);
}

void PleinEcran::appliquerPointeurs()
{
    if (m_curseurMasque) {
        setCursor(Qt::BlankCursor);
        m_image1->setCursor(Qt::BlankCursor);
    } else {
        unsetCursor();
        m_image1->setCursor(m_attenteImage1 ? Qt::WaitCursor : Qt::ArrowCursor);
    }
}
