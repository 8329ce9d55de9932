#include "tools/CatalogTool.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) ||
        !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    return CatalogTool::run(QCoreApplication::arguments().mid(1), out, err, ::isatty(STDERR_FILENO) != 0);
}
