#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "tagging/batch_row.h"

// The rows of the tagger's batch grid: one image file per row, in the order the rows were
// added, with its thumbnail and the texts proposed for it. A row's position is its index,
// from 0. A cell that was never written holds no value; a written text cell holds a text,
// possibly empty. The thumbnail and the file name are written only when images are added;
// the texts by a reply, by "Update Batch File" and by "Clear tags".
class BatchGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The columns, in display order; colFileName (the image's full path) is hidden.
    enum Column {
        colImage = 0,
        colTitle,
        colDescription,
        colKeywords,
        colAdobeCat,
        colShutter1,
        colShutter2,
        colFileName,
        ColumnCount
    };

    explicit BatchGridModel(QObject* parent = nullptr);

    // ---- Rows ----
    bool hasRow(int row) const { return row >= 0 && row < rowCount(); }
    // Appends an empty row at the end; returns its index.
    int appendRow();
    // The row's thumbnail and its image file's full path.
    void setImage(int row, const QPixmap& thumbnail, const QString& fileName);
    QPixmap thumbnail(int row) const;
    // A text cell (colTitle to colShutter2, or colFileName); no value when never written.
    std::optional<QString> cell(int row, Column column) const;
    // The row's texts, a cell never written as the empty text.
    BatchRow texts(int row) const;
    QList<BatchRow> allTexts() const;
    // Writes title, description and keywords into the row, and the three category names as
    // they are when withCategories; the row repaints once. The file name is not written.
    // Returns false, writing nothing, when the row does not exist (any more).
    bool writeTags(int row, const BatchRow& tags, bool withCategories);
    // The row still lacks keywords: its keywords cell holds no value, or only characters
    // of codes 0 to 32.
    bool lacksKeywords(int row) const;
    // The first row whose image file, without its folder, is named exactly so (letter case
    // included); -1 when none is, and for an empty name.
    int findFileName(const QString& fileNameOnly) const;
    // Every row's six text cells become the empty text; images and file names stay.
    void clearTags();
    // Removes every row.
    void clear();

    // ---- The view's interface ----
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Text cells take a text (the grid's editor, or the program); the image cell is not set
    // this way.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // The column's caption and its width in pixels.
    static QString caption(Column column);
    static int designWidth(Column column);
    // Whether the user may edit the column's cells in the grid.
    static bool userEditable(Column column);

private:
    static constexpr int kTextCells = ColumnCount - 1;  // every column but the image
    struct Row {
        QPixmap thumbnail;
        std::array<std::optional<QString>, kTextCells> cells;
        std::optional<QString>& at(Column column) { return cells[column - 1]; }
        const std::optional<QString>& at(Column column) const { return cells[column - 1]; }
    };
    void rowChanged(int row);

    QList<Row> m_rows;
};

// The picture of a thumbnail in the form the grid's image column keeps and paints without
// converting it again.
QPixmap BitmapToImageValue(const QImage& bitmap);

// Adds one row per picture file at the end of the grid, in the given order: the row first,
// then its thumbnail of at most thumbnailSize pixels and the file's path; after each file,
// progress(i, n) with i counting from 1. A file that cannot be decoded throws
// image::DecodeError: its row stays without image and file name, and the files after it are
// not added.
void addImageRows(BatchGridModel& rows, const QStringList& files, int thumbnailSize,
                  const std::function<void(int done, int count)>& progress);

// As addImageRows, with the thumbnails made on every core ahead of the rows (ThumbnailPool);
// the rows, their progress and the error of a file that cannot be decoded are the same, in the
// same order, all on this thread. While the next thumbnail is still being made, this thread
// processes its events. A file's row is appended once its thumbnail is there, so that no
// event runs between a row's appending and its image.
void addImageRowsInParallel(BatchGridModel& rows, const QStringList& files, int thumbnailSize,
                            const std::function<void(int done, int count)>& progress);
// The same, for as long as keepGoing holds (checked before every row and while waiting): once
// it fails, no further row is added and the thumbnails made ahead are dropped. The adding also
// stops when the program's event loops are being left.
void addImageRowsWhile(BatchGridModel& rows, const QStringList& files, int thumbnailSize,
                       const std::function<void(int done, int count)>& progress,
                       const std::function<bool()>& keepGoing);
