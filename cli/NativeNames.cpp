#include "cli/NativeNames.h"

#include <langinfo.h>

#include <clocale>

namespace fk::cli {

namespace {

// Length of the well-formed UTF-8 sequence at `at`, or 0 when none starts there (stray continuation
// bytes, overlong forms, surrogates, code points beyond U+10FFFF, cut sequences).
qsizetype sequenceLength(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

// Characters that steer a terminal or end a line rather than show.
bool isControl(const QByteArray& bytes, qsizetype at, qsizetype length) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[at + i]); };
    switch (length) {
        case 1:
            return byte(0) < 0x20 || byte(0) == 0x7F;
        case 2:
            return byte(0) == 0xC2 && byte(1) <= 0x9F;  // U+0080 to U+009F
        case 3:
            return byte(0) == 0xE2 && byte(1) == 0x80 && (byte(2) == 0xA8 || byte(2) == 0xA9);
        default:
            return false;
    }
}

QString escaped(const QByteArray& bytes, qsizetype at, qsizetype length) {
    QString shown;
    for (qsizetype i = at; i < at + length; ++i)
        shown += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(bytes[i]), 2, 16, QLatin1Char('0'));
    return shown;
}

}  // namespace

bool IsUtf8(const QByteArray& nativeName) {
    for (qsizetype at = 0; at < nativeName.size();) {
        const qsizetype length = sequenceLength(nativeName, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

QString DisplayName(const QByteArray& nativeName) {
    QString shown;
    for (qsizetype at = 0; at < nativeName.size();) {
        const qsizetype length = sequenceLength(nativeName, at);
        if (length == 0) {
            shown += escaped(nativeName, at, 1);
            ++at;
        } else {
            shown += isControl(nativeName, at, length) ? escaped(nativeName, at, length)
                                                       : QString::fromUtf8(nativeName.sliced(at, length));
            at += length;
        }
    }
    return shown;
}

QString DisplayName(const QString& name) {
    return DisplayName(name.toUtf8());
}

void UseUtf8CharacterLocale() {
    if (QByteArray(::nl_langinfo(CODESET)) != "UTF-8") std::setlocale(LC_CTYPE, "C.UTF-8");
}

NonUtf8Arguments FindNonUtf8Arguments(int argc, const char* const* argv) {
    NonUtf8Arguments found;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (!IsUtf8(argument)) found.insert(QString::fromLocal8Bit(argument), argument);
    }
    return found;
}

}  // namespace fk::cli
