#pragma once

struct sqlite3;

// Replaces the connection's like(X,Y) and like(X,Y,Z) with a LIKE that ignores letter case in every
// alphabet (Unicode simple case folding) and treats ё as е, and registers the collation "RUSSIAN"
// (ICU, Russian rules, case-insensitive, empty text first). Throws Failure when the engine refuses.
void installUnicodeText(sqlite3* db);
