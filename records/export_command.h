#pragma once

class TcxRichEdit;

// The RTF export of both cards: the program folder's "Keywords" folder (made when missing)
// is offered in the save dialog, and the rich edit's whole content, search marks included,
// goes into the chosen file. Cancelling writes nothing; a file that cannot be written is
// reported, and an existing file then stays as it was.
void ExportRichEdit(const TcxRichEdit& source);
