// Spell checking as one types: the seven switches on the Create card and the rule that
// decides, control by control, whether the checker may examine it.
#include <array>
#include <utility>

#include "app/form1.h"
#include "platform/errors/guard.h"
#include "platform/spell/spell.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/createcard.h"

namespace {

// The controls that a field switch governs, each with its switch: the six fields of the
// Create card and another window's field that follows "Title" (the tagger's title), missing
// while that window does not exist.
std::array<std::pair<QWidget*, TcxCheckBox*>, 7> governedFields(const TCreateCard& card,
                                                                QWidget* titleSwitchField) {
    return {{{card.cxTextEdit1, card.CheckBox1},
             {card.cxMemo1, card.CheckBox2},
             {card.cxRichEdit1, card.CheckBox3},
             {card.cxRichEdit2, card.CheckBox4},
             {card.cxTextEdit2, card.CheckBox5},
             {card.cxTextEdit3, card.CheckBox6},
             {titleSwitchField, card.CheckBox1}}};
}

}  // namespace

void TForm1::BindSpellChecker() {
    // The checker runs the rule under the default exception handler; a failing rule leaves
    // the control unchecked.
    dxSpellChecker1->setOnCheckAsYouTypeStart([this](QWidget* control, bool& allow) {
        dxSpellChecker1CheckAsYouTypeStart(dxSpellChecker1, control, allow);
    });
    connect(dxSpellChecker1, &TSpellChecker::statusMessage, this,
            errors::guarded(this, &TForm1::showStatus));
    connect(CreateCard->CheckBox7, &QCheckBox::toggled, this,
            errors::guarded(this, &TForm1::CheckBox7PropertiesChange));
    for (TcxCheckBox* box : {CreateCard->CheckBox1, CreateCard->CheckBox2, CreateCard->CheckBox3,
                             CreateCard->CheckBox4, CreateCard->CheckBox5, CreateCard->CheckBox6})
        connect(box, &QCheckBox::toggled, this,
                [this, box] { errors::guard([&] { SpellFieldSwitchChange(box); }); });
}

void TForm1::CheckBox7PropertiesChange() {
    dxSpellChecker1->setCheckAsYouType(CreateCard->CheckBox7->isChecked());
}

void TForm1::dxSpellChecker1CheckAsYouTypeStart(TSpellChecker* /*Sender*/, QWidget* AControl,
                                                bool& AAllow) {
    // Every control that no switch governs keeps what the checker decided.
    for (const auto& [field, box] : governedFields(*CreateCard, FTitleSwitchField))
        if (field && AControl == field) {
            AAllow = box->isChecked();
            return;
        }
}

void TForm1::SpellFieldSwitchChange(TcxCheckBox* Switch) {
    // Turning a switch on takes effect when checking next starts in its fields.
    if (Switch->isChecked()) return;
    for (const auto& [field, box] : governedFields(*CreateCard, FTitleSwitchField))
        if (field && box == Switch) dxSpellChecker1->stopCheckAsYouType(field);
}
