#pragma once

#include <QString>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

// A catalog file in a fresh temporary directory, made from SQL text.
class TempCatalog {
public:
    // The sample catalog that ships with the program.
    static QString sampleSql();
    // The six empty tables.
    static QString schemaSql();

    explicit TempCatalog(const QString& sql = sampleSql());
    [[nodiscard]] QString path() const { return m_dir.filePath(QStringLiteral("bdv.db")); }
    [[nodiscard]] QString dir() const { return m_dir.path(); }
    // Runs SQL on a separate connection, as another process would.
    void exec(const QString& sql) const;
    // A single text value, or "NULL".
    [[nodiscard]] QString scalar(const QString& sql) const { return scalarAt(path(), sql); }
    // The same on any catalog file.
    [[nodiscard]] static QString scalarAt(const QString& path, const QString& sql);

private:
    QTemporaryDir m_dir;
};
