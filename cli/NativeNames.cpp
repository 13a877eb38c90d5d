#include "cli/NativeNames.h"

#include <langinfo.h>

#include <QChar>
#include <algorithm>
#include <clocale>
#include <vector>

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

char32_t codePointAt(const QByteArray& bytes, qsizetype at, qsizetype length) {
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = static_cast<unsigned char>(bytes[at]) & kLeadMask[length];
    for (qsizetype i = 1; i < length; ++i)
        codePoint = codePoint << 6 | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
    return codePoint;
}

// The zero-width joiner and non-joiner shape the letters of Arabic and Indic scripts and join emoji;
// between such characters they are part of the name, anywhere else only a way to hide something.
bool isJoiner(char32_t codePoint) {
    return codePoint == 0x200C || codePoint == 0x200D;
}
bool needsJoining(char32_t codePoint) {
    if (codePoint < 0x80) return false;
    const QChar::Category category = QChar::category(codePoint);
    return QChar::isLetter(codePoint) || QChar::isMark(codePoint) || category == QChar::Symbol_Other;
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
    // The name's sequences first, so that a joiner can be judged by its neighbours.
    struct Sequence {
        qsizetype at;
        qsizetype length;  // 0: a byte that is not UTF-8
        char32_t codePoint;
    };
    std::vector<Sequence> sequences;
    for (qsizetype at = 0; at < nativeName.size();) {
        const qsizetype length = sequenceLength(nativeName, at);
        sequences.push_back({at, length, length > 0 ? codePointAt(nativeName, at, length) : 0});
        at += std::max<qsizetype>(length, 1);
    }
    QString shown;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        const Sequence& sequence = sequences[i];
        if (sequence.length == 0 || isControl(nativeName, sequence.at, sequence.length)) {
            shown += escaped(nativeName, sequence.at, std::max<qsizetype>(sequence.length, 1));
            continue;
        }
        if (QChar::category(sequence.codePoint) == QChar::Other_Format) {
            const auto neighbour = [&](std::size_t j) {
                return sequences[j].length > 0 ? sequences[j].codePoint : 0;
            };
            const bool joins = isJoiner(sequence.codePoint) && i > 0 && i + 1 < sequences.size() &&
                               needsJoining(neighbour(i - 1)) && needsJoining(neighbour(i + 1));
            if (!joins) {
                shown += QStringLiteral("\\u{%1}").arg(static_cast<uint>(sequence.codePoint), 0, 16);
                continue;
            }
        }
        shown += QString::fromUtf8(nativeName.sliced(sequence.at, sequence.length));
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
