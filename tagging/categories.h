#pragma once

#include <QStringList>

// The agencies' category names as the tagger's category boxes list them at design time.
// Replies may append further names to a box at run time; the prompts and the CSV files
// read the boxes' current lists, these are only where the lists begin.
namespace categories {

// Adobe Stock: 21 names, numbered 1 to 21 in this order in Adobe's upload file.
const QStringList& adobe();

// Shutterstock: 26 names, the same for the primary and the secondary box.
const QStringList& shutterstock();

}  // namespace categories
