#include "split/ConvertingEngine.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <system_error>

#include "base/Failure.h"
#include "slicer/StagedFile.h"
#include "split/OutputFolderState.h"

namespace fk {

// Stands between the inner engine and the caller's observer: converts each output the inner engine
// stores and tells the caller of the converted one instead.
class ConvertingEngine::Converter : public SplitObserver {
public:
    Converter(const OfficeConversion& conversion, const QString& documentPath, const QString& outputFolder,
              const ProtectedPaths& inputs, SplitObserver& observer)
        : conversion_(conversion),
          documentPath_(documentPath),
          outputFolder_(outputFolder),
          inputs_(inputs),
          observer_(observer) {}

    void pageCountKnown(int pageCount) override { observer_.pageCountKnown(pageCount); }
    void failed(const SplitFailure& failure) override { observer_.failed(failure); }
    void noted(const QString& text) override { observer_.noted(text); }
    // The office converts the outputs still to come.
    void officeDone() override {}

    void pageStored(int number, const QString& openDocument) override {
        const QString target = PageFilePath(outputFolder_, documentPath_, number, conversion_.format());
        if (folderRefuses_) {
            QFile::remove(openDocument);
            return;  // told once already
        }
        try {
            if (inputs_.covers(target))
                throw Failure(FailureKind::ProtectedInput, ProtectedPaths::refusal(target));
            conversion_.convert(openDocument, target);
            ++stored_;
            observer_.pageStored(number, target);
        } catch (...) {
            FailureKind kind = KindOf(std::current_exception());
            if (kind != FailureKind::ProtectedInput) kind = OutputRefusal(kind, outputFolder_);
            if (RefusesEveryPage(kind)) folderRefuses_ = true;
            const SplitFailure failure{
                SplitStage::Store, number,
                DescriptionOf(std::current_exception(), QStringLiteral("unknown error")), 0, kind};
            failures_.append(failure);
            observer_.failed(failure);
        }
        QFile::remove(openDocument);
    }

    int stored() const { return stored_; }
    const QList<SplitFailure>& failures() const { return failures_; }

private:
    const OfficeConversion& conversion_;
    const QString& documentPath_;
    const QString& outputFolder_;
    const ProtectedPaths& inputs_;
    SplitObserver& observer_;
    int stored_ = 0;
    bool folderRefuses_ = false;
    QList<SplitFailure> failures_;
};

SplitResult ConvertingEngine::split(const QString& path, const QString& outputFolder,
                                    const ProtectedPaths& inputs, SplitObserver& observer) {
    // The OpenDocument outputs wait in a folder of this process's, which a later run removes should this
    // one be killed.
    std::optional<slicer::TemporaryFolder> work;
    try {
        work.emplace(QFile::encodeName(QDir::tempPath() + QStringLiteral("/folioknife-split")).toStdString());
    } catch (const std::system_error& error) {
        SplitResult result;
        const SplitFailure failure{
            SplitStage::Store, 0,
            QStringLiteral("no private temporary folder: ") + QString::fromLocal8Bit(error.code().message())};
        result.failures.append(failure);
        observer.failed(failure);
        return result;
    }
    const OfficeConversion conversion(office_.documents(), format_);
    Converter converter(conversion, path, outputFolder, inputs, observer);
    SplitResult result = inner_.split(path, QFile::decodeName(work->path().c_str()), inputs, converter);
    result.pagesStored = converter.stored();
    result.failures += converter.failures();
    return result;
}

}  // namespace fk
