#include "catalog/ui/GridBinding.h"

#include "catalog/Query.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>

using namespace Qt::StringLiterals;

void bindGrid(QTableView* grid, Query& query) {
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setDefaultSectionSize(18);
    // Fixed row heights: a reset of 100,000 rows measures nothing.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setStyleSheet(u"QTableView { background: white; color: black; }"_s);
    grid->setModel(&query);

    const auto follow = [grid, &query] {
        const int row = query.currentRow();
        if (row >= 0 && grid->currentIndex().row() != row)
            grid->setCurrentIndex(query.index(row, 0));
    };
    QObject::connect(&query, &Query::dataChange, grid, follow);
    QObject::connect(&query, &QAbstractItemModel::modelReset, grid, follow);
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, &query,
                     [&query](const QModelIndex& current) {
                         if (current.isValid())
                             query.setCurrentRow(current.row());
                     });
    follow();
}

bool isDoubleClickOn(QTableView* grid, QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonDblClick)
        return false;
    if (watched == grid->viewport()) {
        const QModelIndex index = grid->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (index.isValid())
            grid->setCurrentIndex(index);
        return true;
    }
    return watched == grid->horizontalHeader()->viewport();
}
