// The ribbon's database commands: New, Open, Save As, Database Maintenance.
#include "app/form1.h"

void TForm1::NewButtonClick() {
    if (RefuseInEditMode()) return;
}

void TForm1::dxBarButton2Click() {
    if (RefuseInEditMode()) return;
}

void TForm1::dxBarButton3Click() {
    if (RefuseInEditMode()) return;
}

void TForm1::dxBarLargeButton10Click() {
    if (RefuseInEditMode()) return;
}
