#pragma once

// Opens the settings dialog modally and returns when it has been closed.
class SettingsOpener {
public:
    virtual ~SettingsOpener() = default;
    virtual void open_settings() = 0;
};
