#pragma once

struct sqlite3;

namespace sql {

// The engine of some systems is built so that LIKE never matches a BLOB value, and the
// batch summaries are stored as BLOBs. Every connection therefore brings its own
// like(X,Y) with the engine's usual rules: ASCII letters match without regard to case,
// every other character exactly; "%" matches any run of characters and "_" one
// character; a value reads as UTF-8 text up to its first NUL, a BLOB too.
// Returns false when the engine refused the function.
bool registerLike(sqlite3* db);

}  // namespace sql
