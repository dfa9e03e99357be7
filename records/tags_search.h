#pragma once

#include <QString>
#include <utility>
#include <vector>

// The statement of the tags search.
struct TagsSearch {
    QString sql;
    std::vector<std::pair<QString, QString>> params;  // name, value
};

// The input is trimmed and split at each of " ;:,."; every non-empty piece n adds the
// condition "Keys LIKE :word<n>" with the value "%<piece>%", n counting every piece of the
// input, empty ones too. Without any condition the statement is the full listing
// "SELECT * FROM tblTags".
TagsSearch tagsSearch(const QString& input);
