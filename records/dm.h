#pragma once

#include <QObject>

namespace sql {
class Connection;
class Query;
}  // namespace sql

// The data module: the one connection to the database file and its two queries.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    sql::Connection* FDConnection1 = nullptr;
    sql::Query* FDQuery1 = nullptr;       // the main query
    sql::Query* FDQueryGroups = nullptr;  // the distinct groups

    // Write the record count of the main query into the main window's status bar.
    void FDQuery1AfterOpen();
    void FDQuery1AfterPost();
    void FDQuery1AfterDelete();

private:
    void ShowRecordCount();
};

extern TDM* DM;
