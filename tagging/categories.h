#pragma once

#include <QStringList>

// The agencies' category names as the tagger's category boxes list them. A box may show a
// name it does not list (a reply's or a row's), but its list never grows: the prompts offer,
// and Adobe's upload file numbers, only these.
namespace categories {

// Adobe Stock: 21 names, numbered 1 to 21 in this order in Adobe's upload file.
const QStringList& adobe();

// Shutterstock: 26 names, the same for the primary and the secondary box.
const QStringList& shutterstock();

}  // namespace categories
