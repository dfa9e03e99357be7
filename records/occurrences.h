#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Finding a word in a text the way every marking of the program does: the red keyword
// marking, the yellow marks in the batch summary and those in the record view.
namespace occurrences {

// Folds only the letters A to Z to lower case; every other character stays as it is.
QChar foldAtoZ(QChar ch);
QString foldAtoZ(const QString& text);

// Where word occurs in text, left to right: the start of each occurrence. The letters A to Z
// match in either case, every other character only itself; a search goes on after the end of
// the occurrence it found, so occurrences never overlap. An empty word occurs nowhere.
QList<int> find(QStringView text, QStringView word);

// True when text holds word at position, compared as find compares.
bool occursAt(QStringView text, qsizetype position, QStringView word);

}  // namespace occurrences
