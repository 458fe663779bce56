#include "platform/lecteurgif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

// giflib asks for its bytes a few at a time (a sub-block's length, then the block):
// they come out of a buffer of our own rather than one device call each.
struct LecteurGif::Source {
    explicit Source(QIODevice* a) : appareil(a), tampon(64 * 1024) { appareil->seek(0); }
    QIODevice* appareil;
    std::vector<char> tampon;
    qint64 position = 0;
    qint64 fin = 0;
};

namespace {

int lireSource(GifFileType* gif, GifByteType* dest, int n)
{
    auto* s = static_cast<LecteurGif::Source*>(gif->UserData);
    int lus = 0;
    while (lus < n) {
        if (s->position == s->fin) {
            const qint64 r = s->appareil->read(s->tampon.data(), qint64(s->tampon.size()));
            if (r <= 0)
                break;
            s->position = 0;
            s->fin = r;
        }
        const int k = int(std::min<qint64>(n - lus, s->fin - s->position));
        std::memcpy(dest + lus, s->tampon.data() + s->position, size_t(k));
        s->position += k;
        lus += k;
    }
    return lus;
}

// giflib keeps a record of every image descriptor read; a player that goes on
// for ever lets go of them as it goes.
void oublierImages(GifFileType* gif)
{
    GifFreeSavedImages(gif);
    gif->ImageCount = 0;
}

// Past an image's data, or the rest of it, without decoding it.
bool sauterDonnees(GifFileType* gif)
{
    GifByteType* bloc = nullptr;
    do {
        if (DGifGetCodeNext(gif, &bloc) == GIF_ERROR)
            return false;
    } while (bloc);
    return true;
}

// Extension blocks after the first, the NETSCAPE2.0 loop count looked for in them.
bool lireExtension(GifFileType* gif, int code, GifByteType* bloc, int* boucles)
{
    const bool netscape =
        code == APPLICATION_EXT_FUNC_CODE && bloc && bloc[0] == 11
        && (std::memcmp(bloc + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(bloc + 1, "ANIMEXTS1.0", 11) == 0);
    while (bloc) {
        if (DGifGetExtensionNext(gif, &bloc) == GIF_ERROR)
            return false;
        if (netscape && boucles && bloc && bloc[0] >= 3 && bloc[1] == 1) {
            const int n = bloc[2] | (bloc[3] << 8);
            *boucles = n == 0 ? -1 : n;
            boucles = nullptr; // the first one counts
        }
    }
    return true;
}

void remplir(QImage& image, const QRect& r, QRgb couleur)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + r.left(), r.width(), couleur);
}

// Row `i` of an interlaced image of `h` rows: every 8th from 0, every 8th from 4,
// every 4th from 2, then every 2nd from 1.
int ligneEntrelacee(int i, int h)
{
    static constexpr int Debut[] = {0, 4, 2, 1}, Pas[] = {8, 8, 4, 2};
    for (int passe = 0; passe < 4; ++passe) {
        const int n = h > Debut[passe] ? (h - Debut[passe] + Pas[passe] - 1) / Pas[passe] : 0;
        if (i < n)
            return Debut[passe] + i * Pas[passe];
        i -= n;
    }
    return -1;
}

} // namespace

LecteurGif::Infos LecteurGif::examiner(QIODevice* appareil)
{
    Infos infos;
    Source source(appareil);
    int erreur = 0;
    GifFileType* gif = DGifOpen(&source, lireSource, &erreur);
    if (!gif)
        return infos;
    infos.ecran = QSize(gif->SWidth, gif->SHeight);
    infos.ok = true;
    int boucles = 0;
    bool suite = true;
    while (suite) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            break;
        if (type == IMAGE_DESC_RECORD_TYPE) {
            ++infos.images;
            suite = DGifGetImageDesc(gif) != GIF_ERROR;
            oublierImages(gif);
            suite = suite && sauterDonnees(gif);
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* bloc = nullptr;
            suite = DGifGetExtension(gif, &code, &bloc) != GIF_ERROR && lireExtension(gif, code, bloc, &boucles);
        } else {
            suite = false;
        }
    }
    infos.boucles = boucles;
    DGifCloseFile(gif, &erreur);
    return infos;
}

LecteurGif::LecteurGif(QIODevice* appareil, const QColor& fond, const QByteArray& profil, couleurs::Sortie sortie)
    : source_(std::make_unique<Source>(appareil)), fond_(fond.rgb()), profil_(profil), sortie_(sortie)
{
    int erreur = 0;
    gif_ = DGifOpen(source_.get(), lireSource, &erreur);
    if (gif_)
        ecran_ = QSize(gif_->SWidth, gif_->SHeight);
    pixelsMax_ = qint64(ecran_.width()) * ecran_.height();
    // The background goes through the same conversion as the palettes.
    QImage un(1, 1, QImage::Format_RGB32);
    un.setPixel(0, 0, fond_);
    couleurs::convertir(un, profil_, sortie_);
    fond_ = un.pixel(0, 0);
}

LecteurGif::~LecteurGif()
{
    int erreur = 0;
    if (gif_)
        DGifCloseFile(gif_, &erreur);
}

// Up to the next image's descriptor, the graphic control block before it read.
bool LecteurGif::lireJusquAImage(Controle* controle)
{
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif_, &type) == GIF_ERROR)
            return false;
        if (type == IMAGE_DESC_RECORD_TYPE) {
            const bool lu = DGifGetImageDesc(gif_) != GIF_ERROR;
            oublierImages(gif_);
            return lu;
        }
        if (type != EXTENSION_RECORD_TYPE)
            return false;
        int code = 0;
        GifByteType* bloc = nullptr;
        if (DGifGetExtension(gif_, &code, &bloc) == GIF_ERROR)
            return false;
        GraphicsControlBlock gcb;
        if (code == GRAPHICS_EXT_FUNC_CODE && bloc && bloc[0] == 4
            && DGifExtensionToGCB(4, bloc + 1, &gcb) != GIF_ERROR) {
            controle->disposition = gcb.DisposalMode;
            controle->transparent = gcb.TransparentColor;
            controle->delaiMs = gcb.DelayTime * 10;
        }
        if (!lireExtension(gif_, code, bloc, nullptr))
            return false;
    }
}

// The colours of this frame's palette, converted; an index past the palette, or
// with no palette at all, is black.
void LecteurGif::palette()
{
    const ColorMapObject* table = gif_->Image.ColorMap ? gif_->Image.ColorMap : gif_->SColorMap;
    QImage rangee(256, 1, QImage::Format_RGB32);
    QRgb* c = reinterpret_cast<QRgb*>(rangee.bits());
    std::fill_n(c, 256, qRgb(0, 0, 0));
    const int n = table && table->Colors ? std::clamp(table->ColorCount, 0, 256) : 0;
    for (int i = 0; i < n; ++i)
        c[i] = qRgb(table->Colors[i].Red, table->Colors[i].Green, table->Colors[i].Blue);
    couleurs::convertir(rangee, profil_, sortie_);
    std::copy_n(c, 256, couleurs_);
}

// The canvas before this frame: the last one's, with the last frame disposed of.
void LecteurGif::preparerFond(QImage& image, bool enPlace) const
{
    if (debut_) {
        image.fill(fond_);
        return;
    }
    if (!enPlace)
        std::memcpy(image.bits(), precedente_.constBits(), size_t(image.sizeInBytes()));
    if (dispositionPrecedente_ == DISPOSE_BACKGROUND
        || (dispositionPrecedente_ == DISPOSE_PREVIOUS && sousTrame_.isNull()))
        remplir(image, cadrePrecedent_, fond_);
    else if (dispositionPrecedente_ == DISPOSE_PREVIOUS && sousTrame_.size() == cadrePrecedent_.size())
        for (int y = 0; y < sousTrame_.height(); ++y)
            std::memcpy(image.scanLine(cadrePrecedent_.top() + y) + cadrePrecedent_.left() * 4,
                        sousTrame_.constScanLine(y), size_t(sousTrame_.width()) * 4);
}

bool LecteurGif::decoderLignes(QImage& image, const QRect& cadre, bool entrelacee, const Controle& controle)
{
    const int largeur = cadre.width(), hauteur = cadre.height();
    ligne_.resize(size_t(largeur));
    const int x0 = std::max(0, cadre.left()), x1 = std::min(ecran_.width(), cadre.left() + largeur);
    const int t = controle.transparent;
    uchar* bits = image.bits();
    const qsizetype pas = image.bytesPerLine();
    for (int i = 0; i < hauteur; ++i) {
        const int y = cadre.top() + (entrelacee ? ligneEntrelacee(i, hauteur) : i);
        // Rows in order past the canvas's bottom need no decoding.
        if (!entrelacee && y >= ecran_.height())
            return sauterDonnees(gif_);
        if (DGifGetLine(gif_, ligne_.data(), largeur) == GIF_ERROR) {
            // The last row decoded, the file may end before the image data's terminator.
            if (i < hauteur - 1)
                return false;
            fin_ = true;
        }
        if (y < 0 || y >= ecran_.height() || x0 >= x1)
            continue;
        QRgb* dest = reinterpret_cast<QRgb*>(bits + y * pas);
        const unsigned char* src = ligne_.data() + (x0 - cadre.left());
        if (t < 0) {
            for (int x = x0; x < x1; ++x)
                dest[x] = couleurs_[*src++];
        } else {
            for (int x = x0; x < x1; ++x, ++src)
                if (*src != t)
                    dest[x] = couleurs_[*src];
        }
    }
    return true;
}

bool LecteurGif::lire(QImage* image, int* delaiMs)
{
    Controle controle;
    if (!gif_ || fin_ || !lireJusquAImage(&controle)) {
        fin_ = true;
        return false;
    }
    const GifImageDesc& d = gif_->Image;
    const QRect cadre(d.Left, d.Top, d.Width, d.Height);
    const QRect visible = cadre & QRect(QPoint(0, 0), ecran_);
    if (qint64(d.Width) * d.Height > pixelsMax_) {
        fin_ = true;
        return false;
    }
    // A player that keeps one canvas of its own hands back the one the last frame
    // left: that is then the base, written over in place.
    const bool enPlace = !debut_ && image->constBits() == precedente_.constBits();
    if (enPlace)
        precedente_ = QImage();
    if (!image->isDetached() || image->size() != ecran_ || image->format() != QImage::Format_RGB32)
        *image = enPlace ? image->copy() : QImage(ecran_, QImage::Format_RGB32);
    if (image->isNull()) {
        fin_ = true;
        return false;
    }
    // A frame over the whole canvas with no transparency writes every pixel.
    const bool couvreTout = visible.size() == ecran_ && controle.transparent < 0;
    if (debut_ || !couvreTout || controle.disposition == DISPOSE_PREVIOUS)
        preparerFond(*image, enPlace);
    // (QImage::copy of an empty rectangle would copy it all.)
    sousTrame_ = controle.disposition == DISPOSE_PREVIOUS && !visible.isEmpty() ? image->copy(visible) : QImage();
    palette();
    // A frame wholly off the canvas shows nothing: its data is not decoded.
    const bool lu = visible.isEmpty() ? sauterDonnees(gif_) : decoderLignes(*image, cadre, d.Interlace, controle);
    if (!lu) {
        fin_ = true;
        return false;
    }
    precedente_ = *image;
    cadrePrecedent_ = visible;
    dispositionPrecedente_ = controle.disposition;
    debut_ = false;
    *delaiMs = controle.delaiMs;
    return true;
}
