#include "split/SlicePageEngine.h"

#include <QTemporaryDir>

#include "base/RuntimeError.h"
#include "slicer/PackageSlicer.h"
#include "split/MakePropertyValue.h"

namespace fk {

namespace {

const QString kDesktopService = QStringLiteral("com.sun.star.frame.Desktop");
const QString kBlankFrame = QStringLiteral("_blank");

QString describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError& runtimeError) {
        return runtimeError.description();
    } catch (const std::exception& other) {
        return QString::fromLocal8Bit(other.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

}  // namespace

// Runs the stages of one document; the first failure ends the document.
class SlicePageEngine::Stages {
public:
    Stages(SplitResult& result, SplitObserver& observer) : result_(result), observer_(observer) {}

    template <typename Body>
    bool run(SplitStage stage, int page, Body&& body) {
        try {
            body();
            return true;
        } catch (...) {
            fail(stage, page, describe(std::current_exception()));
            return false;
        }
    }
    void fail(SplitStage stage, int page, const QString& message) {
        const SplitFailure failure{stage, page, message, 0};
        result_.failures.append(failure);
        observer_.failed(failure);
    }

private:
    SplitResult& result_;
    SplitObserver& observer_;
};

std::vector<slicer::PlannedPage> SlicePageEngine::markAndStore(const QString& path, const QString& package,
                                                               Stages& stages) {
    office::Ref desktop, document, viewCursor;
    if (!stages.run(SplitStage::Connect, 0, [&] {
            desktop = bridge_.createInstance(bridge_.createServiceManager(), kDesktopService);
        }))
        return {};
    const office::Arguments hidden =
        office::Arguments{{QStringLiteral("Hidden"), true}} + office::UnattendedLoadArguments();
    if (!stages.run(SplitStage::Open, 0, [&] {
            document = bridge_.loadComponentFromURL(desktop, ToFileUrl(path), kBlankFrame, 0, hidden);
        }))
        return {};

    std::vector<slicer::PlannedPage> plan;
    const bool marked = stages.run(SplitStage::CountPages, 0, [&] {
        viewCursor = bridge_.getViewCursor(bridge_.getCurrentController(document));
        bridge_.jumpToLastPage(viewCursor);
        const int pageCount = bridge_.getPage(viewCursor);
        if (pageCount < 1) throw RuntimeError(440, QStringLiteral("the document reports no pages"));
        plan.resize(static_cast<size_t>(pageCount));
    }) && stages.run(SplitStage::Mark, 0, [&] {
        for (int page = 1; page <= static_cast<int>(plan.size()); ++page) {
            slicer::PlannedPage& planned = plan[static_cast<size_t>(page - 1)];
            // A page the cursor cannot reach holds no text: a blank page the layout inserted. The cursor's
            // page is asked only at the page's start: right after the jump into a table that a repeated
            // heading row continues, the office still names the page before.
            if (!bridge_.jumpToPage(viewCursor, page) || !bridge_.jumpToStartOfPage(viewCursor) ||
                bridge_.getPage(viewCursor) != page) {
                planned.blank = true;
                continue;
            }
            planned.pageStyle =
                bridge_.getPropertyValue(viewCursor, QStringLiteral("PageStyleName")).toStdString();
            bridge_.insertBookmark(document, viewCursor, QString::fromStdString(slicer::PageMarkName(page)));
        }
        // A blank page is laid out with the style of the page it makes way for.
        std::string following;
        for (auto planned = plan.rbegin(); planned != plan.rend(); ++planned) {
            if (planned->blank)
                planned->pageStyle = following;
            else
                following = planned->pageStyle;
        }
    }) && stages.run(SplitStage::Store, 0, [&] {
        bridge_.storeToURL(document, ToFileUrl(package),
                           {{QStringLiteral("FilterName"), QStringLiteral("writer8")}});
    });
    // The marks live only in our copy: the document is closed unsaved.
    stages.run(SplitStage::Close, 0, [&] { bridge_.Close(document, true); });
    return marked ? plan : std::vector<slicer::PlannedPage>{};
}

SplitResult SlicePageEngine::split(const QString& path, const QString& outputFolder,
                                   const ProtectedPaths& inputs, SplitObserver& observer) {
    SplitResult result;
    result.method = kMethod;
    Stages stages(result, observer);
    const QTemporaryDir work;
    if (!work.isValid()) {
        stages.fail(SplitStage::Store, 0,
                    QStringLiteral("no private temporary folder: ") + work.errorString());
        return result;
    }
    const QString package = work.filePath(QStringLiteral("marked.odt"));
    const std::vector<slicer::PlannedPage> plan = markAndStore(path, package, stages);
    if (plan.empty() || !result.failures.isEmpty()) return result;
    result.pageCount = static_cast<int>(plan.size());
    observer.pageCountKnown(result.pageCount);

    std::unique_ptr<slicer::PackageSlicer> slicer;
    QString notUnderstood;
    try {
        slicer = std::make_unique<slicer::PackageSlicer>(package.toStdString(), plan);
        for (const slicer::SliceIssue& issue : slicer->issues()) {
            if (!notUnderstood.isEmpty()) notUnderstood += QStringLiteral("; ");
            notUnderstood +=
                QStringLiteral("page %1: %2").arg(issue.page).arg(QString::fromStdString(issue.what));
        }
    } catch (const slicer::SliceError& error) {
        notUnderstood = QString::fromLocal8Bit(error.what());
    }
    if (!notUnderstood.isEmpty()) {
        observer.noted(QStringLiteral("split with the copy method instead: the slicer does not understand ") +
                       notUnderstood);
        return fallback_.split(path, outputFolder, inputs, observer);
    }

    for (int page = 1; page <= result.pageCount; ++page) {
        const QString target = PageFilePath(outputFolder, path, page);
        if (inputs.covers(target)) {
            stages.fail(SplitStage::Store, page, ProtectedPaths::refusal(target));
            continue;
        }
        if (stages.run(SplitStage::Store, page, [&] { slicer->writePage(page, target.toStdString()); })) {
            ++result.pagesStored;
            observer.pageStored(page, target);
        }
    }
    return result;
}

}  // namespace fk
