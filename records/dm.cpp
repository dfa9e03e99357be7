#include "records/dm.h"

#include "platform/sql/sql.h"
#include "records/record_store.h"
#include "records/schema.h"

TDM* DM = nullptr;

TDM::TDM(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DM"));
    FDConnection1 = new sql::Connection(this);
    FDConnection1->setObjectName(QStringLiteral("FDConnection1"));
    FDConnection1->addParameter(QStringLiteral("LockingMode=Normal"));

    FDQuery1 = new sql::Query(FDConnection1, this);
    FDQuery1->setObjectName(QStringLiteral("FDQuery1"));
    FDQuery1->setSQL(schema::kListing);
    connect(FDQuery1, &sql::Query::afterOpen, this, &TDM::FDQuery1AfterOpen);
    connect(FDQuery1, &sql::Query::afterPost, this, &TDM::FDQuery1AfterPost);
    connect(FDQuery1, &sql::Query::afterDelete, this, &TDM::FDQuery1AfterDelete);

    FDQueryGroups = new sql::Query(FDConnection1, this);
    FDQueryGroups->setObjectName(QStringLiteral("FDQueryGroups"));
    FDQueryGroups->setSQL(schema::kGroups);

    m_records = std::make_unique<RecordStore>(FDQuery1, FDQueryGroups);
}

TDM::~TDM() = default;

void TDM::ShowRecordCount() {
    emit recordCountChanged(FDQuery1->recordCount());
}

void TDM::FDQuery1AfterOpen() {
    ShowRecordCount();
}
void TDM::FDQuery1AfterPost() {
    ShowRecordCount();
}
void TDM::FDQuery1AfterDelete() {
    ShowRecordCount();
}
