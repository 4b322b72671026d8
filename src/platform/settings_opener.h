#pragma once

// Opens the settings dialog modally and returns when it has been closed: true when it was
// closed with OK (the dialog has then stored the new settings in Globals).
class SettingsOpener {
public:
    virtual ~SettingsOpener() = default;
    virtual bool open_settings() = 0;
};
