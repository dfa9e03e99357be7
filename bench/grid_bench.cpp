// Adding picture files to the tagger's batch grid as "Open Images" does: a row, its thumbnail,
// then the pending events processed so that the shown grid repaints, file after file. Timed
// as a whole process by image_bench.sh beside the thumbnails alone and vipsthumbnail.
//
//   grid_bench FILE...
#include <cstdio>

#include <QApplication>

#include "platform/widgets/gridview.h"
#include "tagging/batch_grid_model.h"
#include "tagging/batch_grid_view.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList files = app.arguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: grid_bench FILE...\n");
        return 2;
    }
    TcxGridTableView view;
    BatchGridModel rows;
    setUpBatchGridView(&view, &rows);
    view.resize(441, 757);  // the grid's place in the tagger window
    view.show();
    try {
        addImageRows(rows, files, 128, [&](int, int) {
            view.scrollToBottom();  // the new row is painted
            QApplication::processEvents();
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return rows.rowCount() == files.size() ? 0 : 1;
}
