// Inside the aggregates and break levels: the steps the exported operations share,
// without the entry and leave hooks.
#pragma once

#include "dbsql/sqlagg.h"

// Every node's count to 0 and the aggregated rows of the query and its levels to 0;
// without any node the query's aggregates are off (0xFFFFFFFF).
void sqlAggResetCounts(sql_qry* query);
// The column's nodes of kind (or every kind) kept for group, unlinked and freed.
JxStatus sqlAggRemoveFromColumn(sql_qry* query, sql_qry* group, uint16_t column, uint16_t kind);
// Every node of every column kept for group.
void sqlAggRemoveLevel(sql_qry* query, sql_qry* group);
// Every node of every column.
void sqlAggRemoveEvery(sql_qry* query);
