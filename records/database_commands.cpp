// The ribbon's database commands: New, Open, Save As, Database Maintenance.
#include "app/form1.h"

void TForm1::NewButtonClick() {}
