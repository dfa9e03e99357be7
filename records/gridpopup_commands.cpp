// The grid popup's record export, written as an RTF file: connected now, filled later.
#include "app/form1.h"

void TForm1::ExportRecordClick() {}
