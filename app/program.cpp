#include "app/program.h"

#include "app/form1.h"
#include "platform/errors/application.h"
#include "platform/skin/skin.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/window_place.h"
#include "records/aboutfrm.h"
#include "records/backupform.h"
#include "records/dm.h"
#include "records/groupfrm.h"
#include "records/main_state.h"
#include "records/settingsfrm.h"
#include "tagging/frmdicteditor.h"
#include "tagging/frmtaggerpro.h"

void ApplyLookAndFeelDefaults() {
    skin::applyLookAndFeelDefaults();
}

namespace {

// The main window's values that the other windows share: made before the windows and
// destroyed after them.
MainState* SharedState = nullptr;

// The windows meet here only: each gets the shared values and the main window's port, and
// the main window's commands and the tagger's "Getty Corrections" show the windows made here.
void ConnectForms() {
    Form1->setOtherWindows({[] { showModeless(frmTaggerPro); }, [] { SettingsFrm->exec(); },
                            [] { BackupForm->exec(); }, [] { GroupFrm->exec(); },
                            [] { AboutFrm->exec(); }});
    Form1->governByTitleSwitch(frmTaggerPro->edtTitle);
    frmTaggerPro->setGettyEditor([] { showModeless(frmDictEditor); });
}

}  // namespace

void CreateForms() {
    SharedState = new MainState();
    MainState& state = *SharedState;
    Form1 = new TForm1(state);
    DM = new TDM();
    Form1->BindDataSource();
    BackupForm = new TBackupForm(*Form1, Form1);
    AboutFrm = new TAboutFrm(Form1);
    GroupFrm = new TGroupFrm(*Form1, Form1);
    SettingsFrm = new TSettingsFrm(state, *Form1, Form1);
    frmTaggerPro = new TfrmTaggerPro(state, *Form1);
    frmDictEditor = new TfrmDictEditor(*Form1, Form1);
    ConnectForms();
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
    delete SharedState;
    SharedState = nullptr;
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
