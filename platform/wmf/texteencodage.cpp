#include "platform/wmf/texteencodage.h"

#include <iconv.h>

namespace wmf {

namespace {

const char* nomCodage(int jeu)
{
    switch (jeu) {
    case 77:
        return "MACINTOSH";
    case 128:
        return "CP932";
    case 129:
        return "CP949";
    case 130:
        return "JOHAB";
    case 134:
        return "CP936";
    case 136:
        return "CP950";
    case 161:
        return "CP1253";
    case 162:
        return "CP1254";
    case 163:
        return "CP1258";
    case 177:
        return "CP1255";
    case 178:
        return "CP1256";
    case 186:
        return "CP1257";
    case 204:
        return "CP1251";
    case 222:
        return "CP874";
    case 238:
        return "CP1250";
    case 255:
        return "CP437";
    default:
        return "CP1252";
    }
}

bool octetDeTete(int jeu, uchar c)
{
    if (jeu == 128)
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (jeu == 129 || jeu == 130 || jeu == 134 || jeu == 136)
        return c >= 0x81 && c <= 0xFE;
    return false;
}

// The Symbol font places Greek letters and mathematical signs where ASCII has
// Latin letters; its stand-ins are Unicode fonts, so the codes are moved.
QChar symbole(uchar c)
{
    static const char16_t majuscules[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
    static const char16_t minuscules[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
    static const struct {
        uchar code;
        char16_t u;
    } autres[] = {
        {0x22, u'∀'},  {0x24, u'∃'}, {0x27, u'∋'},  {0x2A, u'∗'}, {0x2D, u'−'}, {0x40, u'≅'}, {0x5C, u'∴'},
        {0x5E, u'⊥'},  {0x7E, u'∼'}, {0xA2, u'′'},  {0xA3, u'≤'}, {0xA5, u'∞'}, {0xA6, u'ƒ'}, {0xAC, u'←'},
        {0xAD, u'↑'},  {0xAE, u'→'}, {0xAF, u'↓'},  {0xB0, u'°'}, {0xB1, u'±'}, {0xB2, u'″'}, {0xB3, u'≥'},
        {0xB4, u'×'},  {0xB5, u'∝'}, {0xB6, u'∂'},  {0xB7, u'•'}, {0xB8, u'÷'}, {0xB9, u'≠'}, {0xBA, u'≡'},
        {0xBB, u'≈'},  {0xC4, u'⊗'}, {0xC5, u'⊕'},  {0xC7, u'∩'}, {0xC8, u'∪'}, {0xCE, u'∈'}, {0xD1, u'∇'},
        {0xD5, u'∏'},  {0xD6, u'√'}, {0xD8, u'¬'},  {0xD9, u'∧'}, {0xDA, u'∨'}, {0xDB, u'⇔'}, {0xDE, u'⇒'},
        {0xE1, u'〈'}, {0xE5, u'∑'}, {0xF1, u'〉'}, {0xF2, u'∫'},
    };
    if (c >= 0x41 && c <= 0x5A)
        return QChar(majuscules[c - 0x41]);
    if (c >= 0x61 && c <= 0x7A)
        return QChar(minuscules[c - 0x61]);
    for (const auto& a : autres)
        if (a.code == c)
            return QChar(a.u);
    return QChar(c);
}

QString convertir(iconv_t cd, const char* octets, size_t n)
{
    char16_t sortie[8];
    char* entree = const_cast<char*>(octets);
    char* out = reinterpret_cast<char*>(sortie);
    size_t resteEntree = n, resteSortie = sizeof(sortie);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &entree, &resteEntree, &out, &resteSortie) == size_t(-1) || resteEntree != 0)
        return QString(QChar(0xFFFD));
    return QString::fromUtf16(sortie, qsizetype((sizeof(sortie) - resteSortie) / 2));
}

} // namespace

TexteDecode decoderTexte(const QByteArray& octets, int jeu, const QString& police)
{
    TexteDecode r;
    if (jeu == 2 || police.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0) {
        for (const char c : octets) {
            r.texte.append(symbole(uchar(c)));
            r.octetsParCar.append(1);
        }
        return r;
    }
    iconv_t cd = iconv_open("UTF-16LE", nomCodage(jeu));
    if (cd == iconv_t(-1)) {
        r.texte = QString::fromLatin1(octets);
        r.octetsParCar.fill(1, r.texte.size());
        return r;
    }
    for (qsizetype i = 0; i < octets.size();) {
        const qsizetype n = octetDeTete(jeu, uchar(octets[i])) && i + 1 < octets.size() ? 2 : 1;
        const QString car = convertir(cd, octets.constData() + i, size_t(n));
        for (qsizetype k = 0; k < car.size(); ++k)
            r.octetsParCar.append(k == 0 ? int(n) : 0);
        r.texte += car;
        i += n;
    }
    iconv_close(cd);
    return r;
}

} // namespace wmf
