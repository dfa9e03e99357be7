// The grid popup's record export, written as an RTF file: connected now, filled later.
#include "records/searchcard.h"

void TSearchCard::ExportRecordClick() {}
