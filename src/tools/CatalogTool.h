#pragma once

#include <QStringList>

class QIODevice;

// The catalog tool's command line: creating a catalog, importing playlists into one of its
// lists, exporting a list, listing it. Exit codes: 0 done, 1 bad input or a refused write
// (one "FILE:LINE: what is wrong" line per problem on `err`), 2 wrong usage.
class CatalogTool {
public:
    // `arguments` without the program's name. `errIsTerminal` lets a long import show its
    // progress on `err`.
    [[nodiscard]] static int run(const QStringList& arguments, QIODevice& out, QIODevice& err,
                                 bool errIsTerminal = false);

    [[nodiscard]] static QString usage();
};
