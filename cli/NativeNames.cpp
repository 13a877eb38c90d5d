#include "cli/NativeNames.h"

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
        if (length > 0) {
            shown += QString::fromUtf8(nativeName.sliced(at, length));
            at += length;
        } else {
            shown += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(nativeName[at]), 2, 16,
                                                 QLatin1Char('0'));
            ++at;
        }
    }
    return shown;
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
