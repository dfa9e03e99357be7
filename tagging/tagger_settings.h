#pragma once

#include <optional>

#include "records/settings_file.h"

namespace ini {
class IniFile;
}

namespace tagger {

// The AI tagger's keys in the settings file: its window bounds in section "frmAITagger" and
// its prompt settings in "AISettings", which it shares with the main window (whose "Counter"
// and "GeminiKey" it never touches). Read at every showing, written at every closing.
struct Settings {
    // The window's outer bounds as stored, whatever numbers they are: read only when
    // "frmAITagger" holds "Width"; a width or height that is missing or no integer is left to
    // the window. Saving writes them when set (the window always sets them).
    std::optional<settings::WindowBounds> bounds;

    int agencyIndex = 0;  // 0 "Standard", 1 "Getty Images", -1 a typed text that names neither
    bool agenticChecked = true;  // "Deep Vision"
    double temperature = 0.77;   // "Creativity"
    bool peopleCheck = true;
    bool categoryCheck = true;
    int keysFrom = 39;
    int keysTo = 42;
    int imageColumnWidth = 64;  // the batch grid's image column, in pixels

    // Every key, in the order the window applies them; a missing key, or one whose text does
    // not parse, keeps the default above. A switch is on for any integer other than 0.
    static Settings load(const ini::IniFile& file);

    // Writes all twelve keys, "Width", "Height", "Left" and "Top" first; switches as "1" and
    // "0", the temperature with '.' whatever the locale. Throws errors::Error when the file
    // cannot be written; the keys written before stay written.
    void save(ini::IniFile& file) const;
};

}  // namespace tagger
