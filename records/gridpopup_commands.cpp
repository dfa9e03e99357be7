// The grid popup's record commands whose work is done elsewhere: editing a stored record
// on the Create card and exporting it as an RTF file. Connected now, filled later.
#include "app/form1.h"

void TForm1::EditRecordClick() {}

void TForm1::ExportRecordClick() {}
