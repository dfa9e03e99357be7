#pragma once

#include <QString>
#include <QtGlobal>

class EditModeState;
class MainState;
struct Record;

// The main window's fields that only its two cards use; nothing guards them.
struct MainWindowFields {
    qint64 RecordID = 0;  // the ID of a record of "tblTags"; -1 for none

    // Yellow search marks may stand in the record view or the batch summary: set by the
    // searches of both cards, cleared by the record view's removal of its marks.
    bool HighlightsShown = false;
};

// The main window as its two cards see it: its fields, the values it shares with the other
// windows, its mode, the card switch, the status line and the group list. The main window
// implements it; the cards reach nothing else of it.
class CardFrame : public MainWindowFields {
public:
    virtual MainState& state() = 0;
    virtual EditModeState& editMode() = 0;
    virtual void showCreateCard() = 0;
    virtual void showSearchCard() = 0;
    // The status line: the first panel of the status bar.
    virtual void showStatus(const QString& text) = 0;
    // Refills the group list of the Create card from the groups query.
    virtual void refillGroupList() = 0;
    // Edit Record: the Create card takes the record (group, title, keys, and the summary as
    // the record view shows it) and comes forward.
    virtual void editRecord(const Record& record) = 0;

protected:
    ~CardFrame() = default;
};
