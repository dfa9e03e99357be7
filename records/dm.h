#pragma once

#include <QObject>
#include <memory>

class RecordStore;
namespace sql {
class Connection;
class Query;
}  // namespace sql

// The data module: the one connection to the database file, its two queries and the record
// store that runs every statement through them.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    sql::Connection* FDConnection1 = nullptr;
    sql::Query* FDQuery1 = nullptr;       // the main query
    sql::Query* FDQueryGroups = nullptr;  // the distinct groups

    RecordStore& records() { return *m_records; }

    // Report the number of rows the main query holds.
    void FDQuery1AfterOpen();
    void FDQuery1AfterPost();
    void FDQuery1AfterDelete();

signals:
    // The main query's record count after each open, post and delete: the main window shows
    // it in its status bar.
    void recordCountChanged(int count);

private:
    void ShowRecordCount();

    std::unique_ptr<RecordStore> m_records;
};

extern TDM* DM;
