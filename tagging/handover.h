#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "records/summary_writer.h"

class QTextDocument;

// The tagger's entries in the main window's batch summary: the main window's entry
// (separator, upper-cased bold title, description, keywords) followed by a line for each
// category that is set, with its label in bold and its name in regular type.
namespace handover {

struct TaggerEntry {
    summary::BatchSummaryEntry texts;
    // The categories that are set; a set category may have an empty name.
    std::optional<QString> adobe;
    std::optional<QString> shutterPrimary;
    std::optional<QString> shutterSecondary;
};

// How the entry ends after its last line: "Add to Batch Summary" closes it with an empty
// line only after a Shutterstock secondary line, a grid row's entry always.
enum class Closing { AfterSecondaryLine, Always };

// Appends the entry at the end of the document as one undo step. beforeTitle runs after the
// separator lines and before the title (the main window's card switch).
void appendTaggerEntry(QTextDocument* document, const TaggerEntry& entry, Closing closing,
                       const std::function<void()>& beforeTitle = {});

}  // namespace handover
