#pragma once

#include <QString>

// The three fields every catalog and favorites table has.
struct QueryFields {
    QString key;        // hidden, assigned by the database
    QString title;      // the one column the lists show
    QString address;    // hidden; read through the current-item holders
    QString titleLabel; // header of the title column
};
