// The one shared state of the program. Procedures receive it by reference;
// a test makes a fresh one. Each subsystem keeps its own part in a record
// of its own, declared in its folder.
#pragma once
#include <cstdint>

#include "app/app_state.hpp"
#include "common/ports.hpp"
#include "common/records.hpp"
#include "common/store.hpp"
#include "content/content_state.hpp"
#include "dbx/dbx_state.hpp"
#include "export/export_state.hpp"
#include "ui/ui_state.hpp"
#include "wm/wm_state.hpp"

namespace pelicard {

class DialogsPort;
class RegistryPort;
class ProcessesPort;
class SoundPort;
class HelpPort;
class PrinterPort;

struct State {
    State();

    // Platform ports; each points to a harmless default until the caller
    // plugs in a real implementation or a fake.
    WindowPort* window;
    TimeZonePort* timeZone;
    DialogsPort* dialogs;
    RegistryPort* registry;
    ProcessesPort* processes;
    SoundPort* sound;
    HelpPort* help;
    PrinterPort* printer;

    Environment env;
    Settings settings;
    MessageList list;
    Selection selection;
    WorkingTexts texts;
    OperationKind ops;
    bool EditorUpdate = false;
    double ProgressValue = 0;  // shown by Bar; never reset between builds
    bool Quitting = false;     // QuitProgram was called
    // The user asked the running command to stop ("Annuler", or the window's
    // close). Cleared when a command starts; long loops look at it between
    // two messages and stop there, keeping what is already written.
    bool CancelRequested = false;

    StoreTree store;  // the whole store open, if any
    DbxState dbx;
    ContentState content;
    WmState wm;
    ExportState exp;
    UiState ui;
    AppState app;
};

}  // namespace pelicard
