#include "app/program.h"

#include "app/form1.h"
#include "platform/errors/application.h"
#include "platform/skin/skin.h"
#include "records/aboutfrm.h"
#include "records/backupform.h"
#include "records/dm.h"
#include "records/groupfrm.h"
#include "records/settingsfrm.h"
#include "tagging/frmdicteditor.h"
#include "tagging/frmtaggerpro.h"

void ApplyLookAndFeelDefaults() {
    skin::applyLookAndFeelDefaults();
}

void CreateForms() {
    Form1 = new TForm1();
    DM = new TDM();
    Form1->BindDataSource();
    BackupForm = new TBackupForm(Form1);
    AboutFrm = new TAboutFrm(Form1);
    GroupFrm = new TGroupFrm(Form1);
    SettingsFrm = new TSettingsFrm(Form1);
    frmTaggerPro = new TfrmTaggerPro();
    frmDictEditor = new TfrmDictEditor(Form1);
}

void DestroyForms() {
    delete frmDictEditor;
    frmDictEditor = nullptr;
    delete frmTaggerPro;
    frmTaggerPro = nullptr;
    delete SettingsFrm;
    SettingsFrm = nullptr;
    delete GroupFrm;
    GroupFrm = nullptr;
    delete AboutFrm;
    AboutFrm = nullptr;
    delete BackupForm;
    BackupForm = nullptr;
    delete Form1;
    Form1 = nullptr;
    delete DM;
    DM = nullptr;
}

void EndProgramWhenMainWindowCloses() {
    // Not quit(), which first asks every other window to close and gives up when one refuses.
    QObject::connect(Form1, &TForm1::closed, qApp, [] { QCoreApplication::exit(0); });
}

int RunProgram(int argc, char** argv) {
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();
    app.setQuitOnLastWindowClosed(false);
    CreateForms();
    EndProgramWhenMainWindowCloses();
    Form1->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
