#include "support/TempCatalog.h"

#include "catalog/CatalogFile.h"

#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

using namespace Qt::StringLiterals;

QString TempCatalog::sampleSql() {
    QFile file(QStringLiteral(KVELTO_SOURCE_DIR "/data/catalog.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString TempCatalog::schemaSql() {
    return CatalogFile::schemaSql();
}

TempCatalog::TempCatalog(const QString& sql) {
    exec(sql);
}

void TempCatalog::exec(const QString& sql) const {
    SQLite::Database db(path().toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec(sql.toStdString());
}

QString TempCatalog::scalarAt(const QString& path, const QString& sql) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement st(db, sql.toStdString());
    if (!st.executeStep() || st.getColumn(0).isNull())
        return u"NULL"_s;
    return QString::fromStdString(st.getColumn(0).getString());
}
