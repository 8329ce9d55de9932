#pragma once

class Query;
class QTableView;

// Shows a query in a read-only list and keeps the list's highlighted row and the
// query's current row the same, in both directions.
void bindGrid(QTableView* grid, Query& query);
