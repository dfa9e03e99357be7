#include "tagging/frmdicteditor.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/guard.h"
#include "platform/text/text.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "platform/widgets/window_place.h"
#include "records/main_window_port.h"
#include "tagging/window_centre.h"
#include "tagging/word_list_model.h"

TfrmDictEditor* frmDictEditor = nullptr;

namespace {

const QSize kClientSize(579, 746);

}  // namespace

TfrmDictEditor::TfrmDictEditor(MainWindowPort& main, QWidget* parent)
    : QDialog(parent), m_main(main) {
    setObjectName(QStringLiteral("frmDictEditor"));
    setWindowTitle(QStringLiteral("Getty dictionary editor"));
    // A title bar without system menu and close button: the window is left through
    // "Close" or "Save".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    setFixedSize(kClientSize);
    buildLayout();
}

void TfrmDictEditor::buildLayout() {
    cxLabel1 = named(new QLabel(QStringLiteral("List of Getty dictionary corrections:"), this),
                     "cxLabel1");
    cxLabel1->setGeometry(10, 10, 353, 17);
    m_dict = new WordListModel({QStringLiteral("Word"), QStringLiteral("Correction")}, this);
    m_dictSorted = new SortedWords(m_dict, this);
    cxGrid1 = named(new QWidget(this), "cxGrid1");
    cxGrid1->setGeometry(10, 30, 353, 522);
    tvDict = makeGrid(cxGrid1, "tvDict", m_dictSorted);
    tvDict->horizontalHeader()->resizeSection(colOld, 162);
    tvDict->horizontalHeader()->resizeSection(colGetty, 173);

    cxLabel2 = named(new QLabel(QStringLiteral("List of blacklisted words:"), this), "cxLabel2");
    cxLabel2->setGeometry(378, 10, 185, 17);
    m_black = new WordListModel({QStringLiteral("Blacklisted words")}, this);
    m_blackSorted = new SortedWords(m_black, this);
    cxGrid2 = named(new QWidget(this), "cxGrid2");
    cxGrid2->setGeometry(378, 30, 185, 522);
    tvBlackList = makeGrid(cxGrid2, "tvBlackList", m_blackSorted);
    tvBlackList->horizontalHeader()->resizeSection(colBlacklistWord, 168);

    cxLabel4 = named(new QLabel(QStringLiteral("Word"), this), "cxLabel4");
    cxLabel4->setGeometry(10, 562, 170, 17);
    edtWord = named(new TcxTextEdit(this), "edtWord");
    edtWord->setGeometry(10, 581, 170, 24);
    cxLabel5 = named(new QLabel(QStringLiteral("Correction"), this), "cxLabel5");
    cxLabel5->setGeometry(188, 562, 175, 17);
    edtWordCorrect = named(new TcxTextEdit(this), "edtWordCorrect");
    edtWordCorrect->setGeometry(188, 581, 175, 24);
    btnAdd = named(new QPushButton(QStringLiteral("Add"), this), "btnAdd");
    btnAdd->setGeometry(10, 613, 85, 27);
    btnUpdateSuggest =
        named(new QPushButton(QStringLiteral("Update dictionary"), this), "btnUpdateSuggest");
    btnUpdateSuggest->setGeometry(103, 613, 130, 27);

    cxLabel6 = named(new QLabel(QStringLiteral("New blacklisted word"), this), "cxLabel6");
    cxLabel6->setGeometry(378, 562, 185, 17);
    edtBlacklisted = named(new TcxTextEdit(this), "edtBlacklisted");
    edtBlacklisted->setGeometry(378, 581, 185, 24);
    btnAddBlacklisted = named(new QPushButton(QStringLiteral("Add"), this), "btnAddBlacklisted");
    btnAddBlacklisted->setGeometry(378, 613, 60, 27);
    btnUpdateBlacklist =
        named(new QPushButton(QStringLiteral("Update blacklist"), this), "btnUpdateBlacklist");
    btnUpdateBlacklist->setGeometry(444, 613, 119, 27);

    btnHelp = named(new QPushButton(QStringLiteral("Help"), this), "btnHelp");
    btnHelp->setGeometry(10, 678, 85, 30);
    btnClose = named(new QPushButton(QStringLiteral("Close"), this), "btnClose");
    btnClose->setGeometry(378, 678, 90, 30);
    btnSave = named(new QPushButton(QStringLiteral("Save"), this), "btnSave");
    btnSave->setGeometry(473, 678, 90, 30);

    dxStatusBar1 = named(new TStatusBar(this), "dxStatusBar1");
    dxStatusBar1->setSizeGripEnabled(false);
    dxStatusBar1->addPanel(200, Qt::AlignLeft, QStringLiteral("Delete record (Ctrl+Del)"));
    dxStatusBar1->addPanel(100, Qt::AlignHCenter, QStringLiteral("Dictionary items:"));
    dxStatusBar1->addPanel(80, Qt::AlignLeft, QStringLiteral("0"));
    dxStatusBar1->addPanel(90, Qt::AlignHCenter, QStringLiteral("Blacklist items:"));
    dxStatusBar1->addPanel(80, Qt::AlignLeft, QStringLiteral("0"));
    // Where the system's font is wider than the designed one, a caption panel grows to
    // show its whole text.
    for (int i : {1, 3}) {
        QLabel* panel = dxStatusBar1->panel(i);
        panel->setFixedWidth(std::max(panel->width(), panel->sizeHint().width()));
    }
    dxStatusBar1->setGeometry(0, kClientSize.height() - 22, kClientSize.width(), 22);

    const std::pair<QPushButton*, void (TfrmDictEditor::*)()> buttons[] = {
        {btnAdd, &TfrmDictEditor::btnAddClick},
        {btnUpdateSuggest, &TfrmDictEditor::btnUpdateSuggestClick},
        {btnAddBlacklisted, &TfrmDictEditor::btnAddBlacklistedClick},
        {btnUpdateBlacklist, &TfrmDictEditor::btnUpdateBlacklistClick},
        {btnHelp, &TfrmDictEditor::btnHelpClick},
        {btnClose, &TfrmDictEditor::btnCloseClick},
        {btnSave, &TfrmDictEditor::btnSaveClick},
    };
    for (const auto& [button, handler] : buttons) {
        // No default button: Enter presses only the button that has the focus.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, errors::guarded(this, handler));
    }
    wireEdit(edtWord, &TfrmDictEditor::edtWordKeyPress);
    wireEdit(edtWordCorrect, &TfrmDictEditor::edtWordCorrectKeyPress);
    wireEdit(edtBlacklisted, &TfrmDictEditor::edtBlacklistedKeyPress);
}

QTableView* TfrmDictEditor::makeGrid(QWidget* grid, const char* viewName, SortedWords* sorted) {
    auto* layout = new QVBoxLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = named(new QTableView(grid), viewName);
    layout->addWidget(view);
    view->setModel(sorted);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    view->horizontalHeader()->setSortIndicatorShown(true);
    view->horizontalHeader()->setStretchLastSection(false);
    view->setSortingEnabled(false);
    view->installEventFilter(this);
    return view;
}

void TfrmDictEditor::wireEdit(TcxTextEdit* edit, void (TfrmDictEditor::*onEnter)(QChar&)) {
    // Enter goes to the window's handler and no further: no default button, no beep.
    edit->hooks.onKeyDown = [this, onEnter](int& key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
        QChar typed(u'\r');
        errors::guard([&] { (this->*onEnter)(typed); });
        key = 0;
    };
    // Every typed letter in lower case.
    edit->hooks.onKeyPress = [](QChar& key) { key = key.toLower(); };
}

void TfrmDictEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TfrmDictEditor::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The focused button is pressed; Enter elsewhere (say, ending a cell's edit)
            // presses nothing.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
            event->accept();
            return;
        case Qt::Key_Escape:
            // Not a way out: the window is left through "Close" or "Save".
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool TfrmDictEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == tvDict || watched == tvBlackList)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
            // Ctrl+Del deletes the focused row at once.
            auto* view = static_cast<QTableView*>(watched);
            const QModelIndex current = view->currentIndex();
            if (current.isValid()) {
                SortedWords* sorted = view == tvDict ? m_dictSorted : m_blackSorted;
                WordListModel* model = view == tvDict ? m_dict : m_black;
                model->removeRowAt(sorted->mapToSource(current).row());
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmDictEditor::FormShow() {
    setFixedSize(kClientSize);
    if (QWidget* main = parentWidget()) centreOn(this, main);
    LoadDictionaryGrid();
    LoadBlacklistGrid();
    UpdateListCounts();
}

QList<wordlists::Correction> TfrmDictEditor::dictionaryRows() const {
    QList<wordlists::Correction> rows;
    for (const QStringList& row : m_dict->rows())
        rows << wordlists::Correction{row.value(colOld), row.value(colGetty)};
    return rows;
}

QStringList TfrmDictEditor::blacklistRows() const {
    return m_black->column(colBlacklistWord);
}

void TfrmDictEditor::LoadDictionaryGrid() {
    m_dict->setRows({});
    QList<QStringList> rows;
    for (const wordlists::Correction& entry :
         wordlists::loadDictionary(wordlists::dictionaryFile()))
        rows << QStringList{entry.word, entry.correction};
    m_dict->setRows(rows);
}

void TfrmDictEditor::LoadBlacklistGrid() {
    m_black->setRows({});
    QList<QStringList> rows;
    for (const QString& entry : wordlists::loadBlacklist(wordlists::blacklistFile()))
        rows << QStringList{entry};
    m_black->setRows(rows);
}

void TfrmDictEditor::SaveDictionaryGrid() {
    wordlists::saveDictionary(wordlists::dictionaryFile(), dictionaryRows());
}

void TfrmDictEditor::SaveBlacklistGrid() {
    wordlists::saveBlacklist(wordlists::blacklistFile(), blacklistRows());
}

void TfrmDictEditor::UpdateListCounts() {
    dxStatusBar1->setPanelText(2, QString::number(m_dict->rowCount()));
    dxStatusBar1->setPanelText(4, QString::number(m_black->rowCount()));
}

void TfrmDictEditor::focusRow(QTableView* view, SortedWords* sorted, int sourceRow) {
    const QModelIndex index = sorted->mapFromSource(sorted->sourceModel()->index(sourceRow, 0));
    view->setCurrentIndex(index);
    view->scrollTo(index);
}

bool TfrmDictEditor::focusWord(const QString& word) {
    for (int row = 0; row < m_dictSorted->rowCount(); ++row) {
        const QModelIndex index = m_dictSorted->index(row, colOld);
        if (wordlists::sameText(index.data().toString(), word)) {
            tvDict->setCurrentIndex(index);
            tvDict->scrollTo(index);
            return true;
        }
    }
    return false;
}

void TfrmDictEditor::btnAddClick() {
    const QString word = text::trim(edtWord->text());
    const QString correction = text::trim(edtWordCorrect->text());
    if (word.isEmpty() || correction.isEmpty()) {
        dialogs::get().message(
            QStringLiteral("Please enter both the original word and the correction."));
        return;
    }
    if (wordlists::isDuplicateCorrection(dictionaryRows(), {word, correction})) {
        dialogs::get().informationAt(
            QStringLiteral("Duplicate Entry: This suggestion already exists in the dictionary."),
            informationPointAt(this));
        edtWordCorrect->clear();
        edtWordCorrect->setFocus();
        return;
    }
    m_dict->appendRow({word, correction});
    focusWord(word);
    edtWord->clear();
    edtWordCorrect->clear();
    edtWord->setFocus();
    UpdateListCounts();
}

void TfrmDictEditor::btnAddBlacklistedClick() {
    const QString word = text::trim(edtBlacklisted->text());
    if (word.isEmpty()) return;
    if (wordlists::isKnownWord(dictionaryRows(), blacklistRows(), word)) {
        dialogs::get().informationAt(QStringLiteral("Word already exists."),
                                     informationPointAt(this));
        edtBlacklisted->setFocus();
        return;
    }
    focusRow(tvBlackList, m_blackSorted, m_black->appendRow({word}));
    edtBlacklisted->clear();
    edtBlacklisted->setFocus();
    UpdateListCounts();
}

void TfrmDictEditor::btnSaveClick() {
    SaveDictionaryGrid();
    SaveBlacklistGrid();
    dialogs::get().informationAt(QStringLiteral("Lists successfully saved"),
                                 informationPointAt(this));
    hide();
}

void TfrmDictEditor::btnCloseClick() {
    hide();
}

void TfrmDictEditor::btnHelpClick() {
    m_main.ShowHTMLHelp(QStringLiteral("Getty_Dictionary_Editor"));
}

void TfrmDictEditor::btnUpdateSuggestClick() {
    const std::optional<QString> chosen = dialogs::get().openFile({});
    if (!chosen) return;
    const int added = wordlists::mergeImport(wordlists::ListKind::Dictionary,
                                             wordlists::dictionaryFile(), *chosen);
    LoadDictionaryGrid();
    UpdateListCounts();
    dialogs::get().message(
        QStringLiteral("Update Finished!\r\n") + QString::number(added) +
        QStringLiteral(" new entries added.\r\n\r\n") +
        QStringLiteral("A backup of your old list was saved as \"GettyDict.bak\"."));
}

void TfrmDictEditor::btnUpdateBlacklistClick() {
    const std::optional<QString> chosen = dialogs::get().openFile({});
    if (!chosen) return;
    const int added =
        wordlists::mergeImport(wordlists::ListKind::Blacklist, wordlists::blacklistFile(), *chosen);
    LoadBlacklistGrid();
    UpdateListCounts();
    dialogs::get().message(QStringLiteral("Blacklist Update Finished!\r\n") +
                           QString::number(added) +
                           QStringLiteral(" new forbidden words added.\r\n\r\n") +
                           QStringLiteral("A backup was saved as \"GettyBlackList.bak\"."));
}

void TfrmDictEditor::edtWordKeyPress(QChar& Key) {
    if (Key != u'\r') return;
    const QString word = text::trim(edtWord->text());
    if (!word.isEmpty()) focusWord(word);
    Key = QChar();
    edtWordCorrect->setFocus();
}

void TfrmDictEditor::edtWordCorrectKeyPress(QChar& Key) {
    if (Key != u'\r') return;
    Key = QChar();
    btnAdd->setFocus();
}

void TfrmDictEditor::edtBlacklistedKeyPress(QChar& Key) {
    if (Key != u'\r') return;
    Key = QChar();
    btnAddBlacklistedClick();
}
