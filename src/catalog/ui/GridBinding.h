#pragma once

class QEvent;
class QObject;
class Query;
class QTableView;

// Shows a query in a read-only list and keeps the list's highlighted row and the
// query's current row the same, in both directions.
void bindGrid(QTableView* grid, Query& query);

// Whether an event is a double-click anywhere on the list: a row, the title row or the
// empty part below the rows. A double-click on a row makes that row current first.
[[nodiscard]] bool isDoubleClickOn(QTableView* grid, QObject* watched, QEvent* event);
