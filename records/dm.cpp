#include "records/dm.h"

#include "app/form1.h"
#include "platform/sql/sql.h"
#include "platform/widgets/statusbar.h"

TDM* DM = nullptr;

TDM::TDM(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DM"));
    FDConnection1 = new sql::Connection(this);
    FDConnection1->setObjectName(QStringLiteral("FDConnection1"));
    FDConnection1->addParameter(QStringLiteral("LockingMode=Normal"));

    FDQuery1 = new sql::Query(FDConnection1, this);
    FDQuery1->setObjectName(QStringLiteral("FDQuery1"));
    FDQuery1->setSQL(QStringLiteral("Select * FROM tblTags"));
    connect(FDQuery1, &sql::Query::afterOpen, this, &TDM::FDQuery1AfterOpen);
    connect(FDQuery1, &sql::Query::afterPost, this, &TDM::FDQuery1AfterPost);
    connect(FDQuery1, &sql::Query::afterDelete, this, &TDM::FDQuery1AfterDelete);

    FDQueryGroups = new sql::Query(FDConnection1, this);
    FDQueryGroups->setObjectName(QStringLiteral("FDQueryGroups"));
    FDQueryGroups->setSQL(QStringLiteral(
        "SELECT DISTINCT [Group] AS TagGroup\r\nFROM tblTags\r\nORDER BY TagGroup;"));
}

TDM::~TDM() = default;

void TDM::ShowRecordCount() {
    if (Form1) Form1->StatusBar1->setPanelText(6, QString::number(FDQuery1->recordCount()));
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
