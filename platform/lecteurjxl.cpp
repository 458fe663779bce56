#include "platform/lecteurjxl.h"

#include <jxl/decode_cxx.h>
#include <jxl/resizable_parallel_runner_cxx.h>

#include <QIODevice>

#include <climits>

namespace lecteurjxl {

namespace {

// The 4-byte output, and what libjxl keeps of the picture while it decodes (about
// 3 bytes a pixel measured for lossy and lossless photos), with room to spare.
constexpr qint64 OctetsParPixel = 12;
// Input handed to the decoder at a time: small enough for a cancellation to be seen
// soon, large enough for the calls not to count.
constexpr qint64 Morceau = 256 * 1024;

qint64 aire(const QSize& t)
{
    return t.isValid() ? qint64(t.width()) * t.height() : 0;
}

ResultatImage echec(const QString& texte, const QSize& naturelle = {})
{
    ResultatImage r;
    r.erreur = texte;
    r.tailleNaturelle = naturelle;
    return r;
}

QString texteEndommagee()
{
    return QStringLiteral("Image endommagée ou illisible");
}

// One decode, from the header on, stopping where its caller has what it needs.
class Decodage {
public:
    Decodage(QIODevice* appareil, const std::atomic<bool>* annulation)
        : appareil_(appareil), annulation_(annulation), decodeur_(JxlDecoderMake(nullptr))
    {
    }

    // The next event past the input it needs; JXL_DEC_ERROR on a cancellation, a read
    // error or a file that ends too soon.
    JxlDecoderStatus suivant()
    {
        for (;;) {
            if (annulation_ && annulation_->load(std::memory_order_relaxed))
                return JXL_DEC_ERROR;
            const JxlDecoderStatus s = JxlDecoderProcessInput(decodeur_.get());
            if (s != JXL_DEC_NEED_MORE_INPUT)
                return s;
            if (!alimenter())
                return JXL_DEC_ERROR;
        }
    }

    JxlDecoder* decodeur() const { return decodeur_.get(); }

private:
    // Keeps the bytes the decoder has not used yet and adds the next piece of the file.
    bool alimenter()
    {
        const size_t restant = entree_.isEmpty() ? 0 : JxlDecoderReleaseInput(decodeur_.get());
        entree_ = entree_.right(qsizetype(restant));
        const QByteArray suite = appareil_->read(Morceau);
        if (suite.isEmpty())
            return false;
        entree_ += suite;
        JxlDecoderSetInput(decodeur_.get(), reinterpret_cast<const uint8_t*>(entree_.constData()),
                           size_t(entree_.size()));
        if (appareil_->atEnd())
            JxlDecoderCloseInput(decodeur_.get());
        return true;
    }

    QIODevice* appareil_;
    const std::atomic<bool>* annulation_;
    JxlDecoderPtr decodeur_;
    QByteArray entree_;
};

QSize naturelle(const JxlBasicInfo& info)
{
    const QSize stockee(int(qMin<uint32_t>(info.xsize, INT_MAX)), int(qMin<uint32_t>(info.ysize, INT_MAX)));
    // Orientations 5 to 8 swap the sides; libjxl turns the picture as it decodes.
    return info.orientation >= JXL_ORIENT_TRANSPOSE ? stockee.transposed() : stockee;
}

bool estSrgb(JxlDecoder* d, const JxlPixelFormat& format)
{
    JxlColorEncoding c;
    if (JxlDecoderGetColorAsEncodedProfile(d, &format, JXL_COLOR_PROFILE_TARGET_DATA, &c) != JXL_DEC_SUCCESS)
        return false;
    return c.color_space == JXL_COLOR_SPACE_RGB && c.white_point == JXL_WHITE_POINT_D65
           && c.primaries == JXL_PRIMARIES_SRGB && c.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// The profile of the pixels as the decoder writes them (a lossy file's may differ
// from the one it was made from); empty for sRGB.
QByteArray profil(JxlDecoder* d, const JxlPixelFormat& format)
{
    size_t octets = 0;
    if (estSrgb(d, format)
        || JxlDecoderGetICCProfileSize(d, &format, JXL_COLOR_PROFILE_TARGET_DATA, &octets) != JXL_DEC_SUCCESS
        || octets == 0)
        return {};
    QByteArray icc(qsizetype(octets), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(d, &format, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t*>(icc.data()), octets)
        != JXL_DEC_SUCCESS)
        return {};
    return icc;
}

} // namespace

QSize lireTaille(QIODevice* appareil)
{
    Decodage decodage(appareil, nullptr);
    JxlDecoderSubscribeEvents(decodage.decodeur(), JXL_DEC_BASIC_INFO);
    JxlBasicInfo info;
    if (decodage.suivant() != JXL_DEC_BASIC_INFO
        || JxlDecoderGetBasicInfo(decodage.decodeur(), &info) != JXL_DEC_SUCCESS)
        return {};
    const QSize t = naturelle(info);
    return t.isEmpty() ? QSize() : t;
}

ResultatImage lire(QIODevice* appareil, const QSize& cible, const dimensions::Budget& budget,
                   const std::atomic<bool>* annulation)
{
    Decodage decodage(appareil, annulation);
    JxlDecoder* d = decodage.decodeur();
    JxlDecoderSubscribeEvents(d, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    const JxlResizableParallelRunnerPtr fils = JxlResizableParallelRunnerMake(nullptr);
    JxlDecoderSetParallelRunner(d, JxlResizableParallelRunner, fils.get());
    const JxlPixelFormat format = {4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    ResultatImage r;
    bool alpha = false;
    for (;;) {
        switch (decodage.suivant()) {
        case JXL_DEC_BASIC_INFO: {
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(d, &info) != JXL_DEC_SUCCESS)
                return echec(texteEndommagee());
            r.tailleNaturelle = naturelle(info);
            const QSize couverture = dimensions::tailleCouvrante(r.tailleNaturelle, cible, budget.pixels);
            const qint64 n = aire(r.tailleNaturelle);
            if (r.tailleNaturelle.isEmpty() || n > budget.pixels
                || n * OctetsParPixel + aire(couverture) * 4 > budget.octets)
                return echec(r.tailleNaturelle.isEmpty() ? texteEndommagee() : texteImageTropGrande(),
                             r.tailleNaturelle);
            alpha = info.alpha_bits > 0;
            JxlResizableParallelRunnerSetThreads(fils.get(),
                                                 JxlResizableParallelRunnerSuggestThreads(info.xsize, info.ysize));
            break;
        }
        case JXL_DEC_COLOR_ENCODING:
            r.profilIcc = profil(d, format);
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            r.image = QImage(r.tailleNaturelle, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
            size_t octets = 0;
            if (r.image.isNull() || JxlDecoderImageOutBufferSize(d, &format, &octets) != JXL_DEC_SUCCESS
                || octets != size_t(r.image.sizeInBytes())
                || JxlDecoderSetImageOutBuffer(d, &format, r.image.bits(), octets) != JXL_DEC_SUCCESS)
                return echec(texteEndommagee(), r.tailleNaturelle);
            break;
        }
        case JXL_DEC_FULL_IMAGE: // the first frame of an animation is the picture
        case JXL_DEC_SUCCESS:
            if (r.image.isNull())
                return echec(texteEndommagee(), r.tailleNaturelle);
            return r;
        default:
            if (annulation && annulation->load(std::memory_order_relaxed))
                return echec(QStringLiteral("Lecture annulée"), r.tailleNaturelle);
            return echec(texteEndommagee(), r.tailleNaturelle);
        }
    }
}

} // namespace lecteurjxl
