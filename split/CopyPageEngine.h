#pragma once

#include "split/OfficeSession.h"
#include "split/SplitEngine.h"

namespace fk {

// Splits a document the way the window always has: for every page the office selects the page,
// copies it, pastes it into a new Writer document and stores that. Its steps keep the numbers the
// window's error report names (120 to 172). 122, 126 to 130, 138, 150, 154 and 156 have no work of
// their own: the session finds the office's desktop, dispatcher, controllers, view cursor and frames
// itself, and the store's arguments are plain values.
class CopyPageEngine : public SplitEngine {
public:
    // Hidden: the input and its page documents open without windows, so that none covers the
    // program's own window and nothing the user does in the office disturbs the cursor.
    explicit CopyPageEngine(office::OfficeSession& office, bool hidden = false)
        : office_(office), hidden_(hidden) {}

    SplitResult split(const QString& documentPath, const QString& outputFolder, const ProtectedPaths& inputs,
                      SplitObserver& observer) override;

    static inline const QString kMethod = QStringLiteral("copy");

private:
    class Steps;

    enum class Arrival { There, Elsewhere, Refused };
    Arrival jumpTo(const office::DocumentRef& input, int page);
    // Puts the input's view cursor at the start of `page`. False when the page is one the layout
    // inserted blank: the cursor cannot go there and stands at the start of the page after it instead.
    bool ensureOnPage(const office::DocumentRef& input, int page, int pageCount);
    void dispatch(const office::DocumentRef& document, const char* command);
    void copyPageThatBeginsInATable(const office::DocumentRef& input, const office::DocumentRef& pageDocument,
                                    int page);

    // Bounds for walking out of tables, so that a document the office misreports cannot hold the run.
    static constexpr int kMaxLeadingTables = 100;
    static constexpr int kMaxTableRows = 100000;

    // The page count once the office's layout has stopped changing: an office that has not laid out
    // the whole document yet (pictures still loading, a window still opening) counts other pages.
    int settledPageCount(const office::DocumentRef& input);

    static constexpr int kSettleChecks = 20;
    static constexpr int kSettleIntervalMs = 100;

    office::OfficeSession& office_;
    bool hidden_;
};

}  // namespace fk
