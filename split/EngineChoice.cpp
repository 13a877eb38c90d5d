#include "split/EngineChoice.h"

#include "split/ConvertingEngine.h"
#include "split/CopyPageEngine.h"
#include "split/PdfPageEngine.h"
#include "split/SliceThenCopyEngine.h"
#include "split/WordPageEngine.h"
#include "split/WordThenConvertingEngine.h"

namespace fk {

QString SplitMethodName(SplitMethod method) {
    return method == SplitMethod::Copy ? QStringLiteral("copy") : QStringLiteral("slice");
}

std::optional<SplitMethod> SplitMethodNamed(const QString& name) {
    for (const SplitMethod method : {SplitMethod::Slice, SplitMethod::Copy}) {
        if (name.trimmed().compare(SplitMethodName(method), Qt::CaseInsensitive) == 0) return method;
    }
    return std::nullopt;
}

std::optional<int> ParseCutAt(const QString& text) {
    if (text == QLatin1String("page")) return 0;
    const QString prefix = QStringLiteral("heading:");
    if (!text.startsWith(prefix)) return std::nullopt;
    const QStringView digits = QStringView(text).mid(prefix.size());
    // Digits only: toInt() would take "+2" and " 2".
    for (const QChar digit : digits)
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const int level = digits.toInt(&ok);
    if (!ok || level < 1 || level > kMaxHeadingLevel) return std::nullopt;
    return level;
}

namespace {

class ChosenEngine : public SplitEngine {
public:
    ChosenEngine(const EngineChoice& choice, office::OfficeSession& office)
        : choice_(choice),
          copy_(office),
          fallbackCopy_(office, choice.hideFallbackCopy),
          slice_(office),
          sliceThenCopy_(slice_, fallbackCopy_),
          pdf_(office),
          converting_(odtEngine(), office, choice.format),
          word_(office),
          wordThenConverting_(word_, converting_) {
        slice_.setSelection(choice.pages);
        word_.setSelection(choice.pages);
        slice_.setHeadingLevel(choice.headingLevel);
        pdf_.setSelection(choice.pages);
    }

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override {
        switch (choice_.format) {
            case OutputFormat::Odt:
                return odtEngine().split(documentPath, outputFolder, inputs, observer);
            case OutputFormat::Pdf:
                // A part opens on a fresh page, so the office's PDF of the whole document has no page
                // that matches it: parts are converted one by one.
                if (choice_.headingLevel == 0)
                    return pdf_.split(documentPath, outputFolder, inputs, observer);
                break;
            case OutputFormat::Docx:
                // Parts, and pages the copy method makes, are converted one by one.
                if (choice_.headingLevel == 0 && choice_.method == SplitMethod::Slice)
                    return wordThenConverting_.split(documentPath, outputFolder, inputs, observer);
                break;
        }
        return converting_.split(documentPath, outputFolder, inputs, observer);
    }

private:
    SplitEngine& odtEngine() {
        if (choice_.method == SplitMethod::Copy) return copy_;
        return sliceThenCopy_;
    }

    EngineChoice choice_;
    CopyPageEngine copy_;
    CopyPageEngine fallbackCopy_;
    SlicePageEngine slice_;
    SliceThenCopyEngine sliceThenCopy_;
    PdfPageEngine pdf_;
    ConvertingEngine converting_;
    WordPageEngine word_;
    WordThenConvertingEngine wordThenConverting_;
};

}  // namespace

std::unique_ptr<SplitEngine> MakeSplitEngine(const EngineChoice& choice, office::OfficeSession& office) {
    return std::make_unique<ChosenEngine>(choice, office);
}

}  // namespace fk
