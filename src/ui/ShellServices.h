#pragma once

namespace quillora {

class Accessibility;
class AutostartEntry;
class BackendSettings;
class Clock;
class HistoryManager;
class Pasteboard;
class PasteService;
class PresetManager;
class PrivacyGuard;
class SelectionTracker;
class ShortcutManager;
class UpdateManager;
class Workspace;

/**
 * What the application's own windows (history, settings) work with. The composition root owns
 * every one of them; they outlive the windows.
 */
struct ShellServices
{
    SelectionTracker& tracker;
    HistoryManager& history;
    PresetManager& presets;
    UpdateManager& updates;
    BackendSettings& backendSettings;
    PasteService& pasteService;
    Accessibility& accessibility;
    Workspace& workspace;
    Pasteboard& pasteboard;
    Clock& clock;
    AutostartEntry& autostart;
    ShortcutManager& shortcuts;
    PrivacyGuard& privacy;
};

} // namespace quillora
