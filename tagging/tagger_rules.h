#pragma once

#include <QString>
#include <optional>

// Rules of the AI tagger window that need no widgets.
namespace tagger {

// The keyword range: "from" and "to" keywords asked of the model. Whenever the upper bound
// changes, the lower bound comes down to two below it when it stood higher, and it cannot be
// raised past that (a gap of two, not one). Changes of the lower bound run no rule.
struct KeywordRange {
    int from;         // the lower bound after the rule
    int fromMaximum;  // the largest lower bound the user can set
};
KeywordRange keywordRange(int from, int to);

// The two Shutterstock boxes never show the same category: when the box that just changed
// selected the position the other box shows, it loses its selection (-1). Positions are
// compared, not names. A batch run (or a grid row being loaded) suspends the rule. Returns
// the index the changed box keeps.
int shutterstockSelection(int changed, int other, bool batchProcessing);

// The key handed to the cloud-AI component at showing: the main window's key as it stands,
// an empty one too, or none when it is exactly kNoAPIKey (the main window has no key).
std::optional<QString> geminiKeyToHandOver(const QString& apiKey);

// The status line after a failed exchange with the AI service, by its HTTP status (0: no
// reply came).
QString requestFailureText(int status);

}  // namespace tagger
