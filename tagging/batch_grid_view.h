#pragma once

class BatchGridModel;
class TcxGridTableView;

// Shows the rows in the grid's view: the columns with their widths (the file name hidden),
// rows 80 pixels high with the row indicator, thumbnails fitted into their cells, no sorting,
// the category cells editable in place.
void setUpBatchGridView(TcxGridTableView* view, BatchGridModel* rows);
