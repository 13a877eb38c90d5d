#include "split/ConvertingEngine.h"

#include <QFile>
#include <optional>

#include "files/StagedFile.h"
#include "split/PageWriter.h"
#include "split/PrivateFolder.h"

namespace fk {

// Stands between the inner engine and the caller's observer: converts each output the inner engine
// stores and tells the caller of the converted one instead.
class ConvertingEngine::Converter : public SplitObserver {
public:
    Converter(const OfficeConversion& conversion, const QString& documentPath, const QString& outputFolder,
              const ProtectedPaths& inputs, SplitObserver& observer)
        : conversion_(conversion),
          observer_(observer),
          writer_(outputFolder, documentPath, conversion.format(), inputs, converted_, observer) {}

    void stageReached(SplitStage stage) override { observer_.stageReached(stage); }
    void stageAdvanced(double fraction) override { observer_.stageAdvanced(fraction); }
    void pageCountKnown(int pageCount) override { observer_.pageCountKnown(pageCount); }
    void failed(const SplitFailure& failure) override { observer_.failed(failure); }
    void noted(const QString& text) override { observer_.noted(text); }
    // The office converts the outputs still to come.
    void officeDone() override {}
    bool stopRequested() const override { return observer_.stopRequested(); }

    void pageStored(int number, const QString& openDocument) override {
        writer_.write(number, [&](const QString& target) { conversion_.convert(openDocument, target); });
        QFile::remove(openDocument);
    }

    // The converted outputs stored and the conversions that failed.
    const SplitResult& converted() const { return converted_; }

private:
    const OfficeConversion& conversion_;
    SplitObserver& observer_;
    SplitResult converted_;
    PageWriter writer_;
};

SplitResult ConvertingEngine::split(const QString& path, const QString& outputFolder,
                                    const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult refused;
    SplitStages stages(refused, observer);
    const std::optional<files::TemporaryFolder> work = PrivateFolder(stages);
    if (!work) return refused;
    const OfficeConversion conversion(office_.documents(), format_);
    Converter converter(conversion, path, outputFolder, inputs, observer);
    SplitResult result = inner_.split(path, QFile::decodeName(work->path().c_str()), inputs, converter);
    result.pagesStored = converter.converted().pagesStored;
    result.failures += converter.converted().failures;
    return result;
}

}  // namespace fk
