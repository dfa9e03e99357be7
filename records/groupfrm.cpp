#include "records/groupfrm.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/guard.h"
#include "platform/sql/sql.h"
#include "platform/text/text.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/window_place.h"
#include "records/dm.h"
#include "records/main_window_port.h"
#include "records/record_store.h"

TGroupFrm* GroupFrm = nullptr;

namespace {

const QSize kClientSize(371, 232);

// No current list item: the box's text goes with it, as the suite's combo boxes have it.
void clearItemIndex(QComboBox* combo) {
    combo->setCurrentIndex(-1);
    combo->clearEditText();
}

}  // namespace

TGroupFrm::TGroupFrm(MainWindowPort& main, QWidget* parent) : QDialog(parent), m_main(main) {
    setObjectName(QStringLiteral("GroupFrm"));
    setWindowTitle(QStringLiteral("Group Administration"));
    // Left through "Close".
    makeFixedTopDialog(this, kClientSize);
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    buildLayout();
}

void TGroupFrm::buildLayout() {
    cxLabel1 = named(
        new QLabel(
            QStringLiteral("Move all records from one group to another existing or new group."),
            this),
        "cxLabel1");
    cxLabel1->setWordWrap(true);
    cxLabel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cxLabel1->setGeometry(16, 24, 281, 41);

    // Groups are told apart by their exact text; the boxes complete and match typed text with
    // its letter case.
    const auto makeCombo = [this](const char* name, int left) {
        auto* combo = named(new TcxComboBox(this), name);
        combo->setGeometry(left, 96, 153, combo->sizeHint().height());
        return combo;
    };
    FromGroupCombo = makeCombo("FromGroupCombo", 16);
    ToGroupCombo = makeCombo("ToGroupCombo", 200);

    cxLabel2 = named(new QLabel(QStringLiteral("From group"), this), "cxLabel2");
    cxLabel2->move(16, 73);
    cxLabel3 = named(new QLabel(QStringLiteral("To group"), this), "cxLabel3");
    cxLabel3->move(200, 73);
    cxLabel4 = named(new QLabel(QStringLiteral("->"), this), "cxLabel4");
    cxLabel4->setGeometry(177, 96, 20, FromGroupCombo->height());

    const auto makeButton = [this](const char* name, const char* caption, QRect place) {
        auto* button = named(new QPushButton(QLatin1String(caption), this), name);
        button->setGeometry(place);
        // No default button: Enter in a box never deletes or moves; it presses only the
        // button that has the focus.
        button->setAutoDefault(false);
        return button;
    };
    deleteBtn = makeButton("deleteBtn", "Delete all records", QRect(16, 137, 153, 25));
    MoveBtn = makeButton("MoveBtn", "Move all records", QRect(200, 137, 153, 25));
    CloseBtn = makeButton("CloseBtn", "Close", QRect(256, 191, 97, 25));
    btnHelp = makeButton("btnHelp", "Help", QRect(16, 191, 75, 25));

    connect(FromGroupCombo, &QComboBox::editTextChanged, this,
            errors::guarded(this, &TGroupFrm::FromGroupComboPropertiesChange));
    connect(ToGroupCombo, &QComboBox::editTextChanged, this,
            errors::guarded(this, &TGroupFrm::ToGroupComboPropertiesChange));
    connect(deleteBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TGroupFrm::deleteBtnClick));
    connect(MoveBtn, &QPushButton::clicked, this, errors::guarded(this, &TGroupFrm::MoveBtnClick));
    connect(CloseBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TGroupFrm::CloseBtnClick));
    connect(btnHelp, &QPushButton::clicked, this, errors::guarded(this, &TGroupFrm::btnHelpClick));
}

void TGroupFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TGroupFrm::done(int result) {
    errors::guard([this] { FormClose(); });
    QDialog::done(result);
}

void TGroupFrm::FormShow() {
    setFixedSize(kClientSize);
    if (QWidget* main = parentWidget()) centreOn(this, main);
    FromGroupCombo->clearEditText();
    ToGroupCombo->clearEditText();
    deleteBtn->setEnabled(false);
    MoveBtn->setEnabled(false);
    FillBothLists();
}

void TGroupFrm::FillGroupCombo(TcxComboBox* combo) {
    // Emptied first, so that a list that cannot be read stays empty.
    combo->replaceItems({});
    combo->replaceItems(DM->records().groups());
}

void TGroupFrm::FillBothLists() {
    // The two lists stay alike, also when the groups cannot be read.
    const auto copy =
        errors::finally([this] { FromGroupCombo->replaceItems(itemsOf(ToGroupCombo)); });
    FillGroupCombo(ToGroupCombo);
}

void TGroupFrm::FromGroupComboPropertiesChange() {
    const bool listed = FromGroupCombo->itemIndex() != -1;
    deleteBtn->setEnabled(listed);
    MoveBtn->setEnabled(listed);
}

void TGroupFrm::ToGroupComboPropertiesChange() {
    deleteBtn->setEnabled(FromGroupCombo->itemIndex() != -1);
}

void TGroupFrm::deleteBtnClick() {
    const dialogs::Answer answer = dialogs::get().confirmAt(
        QStringLiteral("All records in selected group will be deleted!\rAre you sure you want "
                       "to proceed?"),
        dialogs::Icon::Warning, outerCentre(this));
    if (answer != dialogs::Answer::Yes) return;
    RecordStore& store = DM->records();
    {
        const sql::ControlsSuspended suspended(store.query());
        store.deleteGroup(FromGroupCombo->currentText());
    }
    FillBothLists();
}

void TGroupFrm::MoveBtnClick() {
    const QString from = FromGroupCombo->currentText();
    const QString to = ToGroupCombo->currentText();
    if (to == from || text::trim(to).isEmpty()) {
        dialogs::get().message(QStringLiteral("Wrong destination group!"));
        return;
    }
    RecordStore& store = DM->records();
    {
        // When the scope ends, in this order: the full listing, the bound controls, the
        // buttons; also when a row could not be posted.
        const auto buttons = errors::finally([this] {
            MoveBtn->setEnabled(false);
            deleteBtn->setEnabled(false);
        });
        const sql::ControlsSuspended suspended(store.query());
        const auto listing = errors::finally([&store] { store.openListingAfterMove(); });
        store.moveGroup(from, to);
        dialogs::get().message(QStringLiteral("Groups successfully changed"));
    }
    FillGroupCombo(ToGroupCombo);
    const QStringList groups = itemsOf(ToGroupCombo);
    FromGroupCombo->replaceItems(groups);
    m_main.replaceGroupList(groups);
    clearItemIndex(FromGroupCombo);
    clearItemIndex(ToGroupCombo);
    // The main window's box keeps its text: it is the group of a batch not yet saved.
}

void TGroupFrm::btnHelpClick() {
    m_main.ShowHTMLHelp(QStringLiteral("Working_with_groups"));
}

void TGroupFrm::CloseBtnClick() {
    close();
}

void TGroupFrm::FormClose() {
    m_main.replaceGroupList(itemsOf(ToGroupCombo));
}
