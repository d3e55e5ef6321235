#include "foundation/pinyin.h"

#include <memory>
#include <stdexcept>
#include <unicode/translit.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>

namespace Pinyin {

namespace {

using Transliterator = std::unique_ptr<icu::Transliterator>;

Transliterator transliterator(const char16_t* id) {
    UErrorCode status = U_ZERO_ERROR;
    Transliterator made(icu::Transliterator::createInstance(icu::UnicodeString(id), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !made)
        throw std::runtime_error(std::string("ICU has no transliterator ") + u_errorName(status));
    return made;
}

QString toQString(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

QString read(const icu::Transliterator& reader, icu::UnicodeString text) {
    reader.transliterate(text);
    return toQString(text);
}

bool isSyllable(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < u'a' || c > u'z')
            return false;
    return true;
}

QList<Reading> readAll() {
    const Transliterator names = transliterator(u"Han-Latin/Names; Latin-ASCII; Lower");
    const Transliterator common = transliterator(u"Han-Latin");
    const Transliterator ascii = transliterator(u"Latin-ASCII; Lower");
    // Two in three ideographs have no reading: the tones are taken off only the others'.
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeSet han(u"[[:Unified_Ideograph:]\\u3007]", status);
    QList<Reading> all;
    all.reserve(han.size());
    const int32_t ranges = han.getRangeCount();
    for (int32_t r = 0; r < ranges; ++r)
        for (UChar32 c = han.getRangeStart(r); c <= han.getRangeEnd(r); ++c) {
            const icu::UnicodeString character(c);
            icu::UnicodeString toned(character);
            common->transliterate(toned);
            if (toned == character)
                continue;
            const QString usual = read(*ascii, toned);
            if (!isSyllable(usual))
                continue;
            const QString first = read(*names, character);
            QString inside = usual;
            // "Names" reads differently inside a name only characters it reads differently at the start.
            if (first != usual) {
                const QString pair = read(*names, icu::UnicodeString(u"一") + character);
                inside = pair.startsWith(QLatin1String("yi ")) ? pair.mid(3) : usual;
            }
            all << Reading{toQString(character), isSyllable(first) ? first : usual,
                           isSyllable(inside) ? inside : usual, usual};
        }
    return all;
}

} // namespace

const QList<Reading>& readings() {
    static const QList<Reading> all = readAll();
    return all;
}

} // namespace Pinyin
