#pragma once

namespace jotrak {

// Loads Qt's own Chinese (Simplified) translation, whatever the system's
// language, so standard buttons, file dialogs and context menus read as the
// rest of the program. Once per process; false (and a warning) when the file
// is not installed.
bool InstallQtTranslation();

} // namespace jotrak
