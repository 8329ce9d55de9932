#pragma once

#include "settings/ProxySettings.h"

#include <QString>
#include <memory>

class IniFile;
class PageFetcher;
class QCheckBox;
class QComboBox;
class QLineEdit;
class ThemeApplier;

// The main window's settings tab and the settings file behind it: the proxy boxes, the theme
// chooser, and Config.ini, opened at start and kept until the window goes.
class SettingsTab {
public:
    struct Boxes {
        QLineEdit& address;
        QLineEdit& port;
        QCheckBox& useProxy;
        QComboBox& themes;
    };
    SettingsTab(Boxes boxes, ThemeApplier& themes, PageFetcher& fetcher, QString configPath);
    ~SettingsTab();
    SettingsTab(const SettingsTab&) = delete;
    SettingsTab& operator=(const SettingsTab&) = delete;

    // At start, in this order: opens the file, applies its theme, fills the proxy boxes from it
    // and gives the fetcher what the boxes then show. Throws at the first step that fails.
    void load();
    // Stores the proxy as the boxes show it; throws Failure when the file was never opened or
    // cannot be written.
    void saveProxy();
    // Applies the theme the chooser shows and stores it.
    void applyChosenTheme();

private:
    [[nodiscard]] ProxySettings proxyBoxes() const;

    Boxes m_boxes;
    ThemeApplier& m_themes;
    PageFetcher& m_fetcher;
    QString m_configPath;
    std::unique_ptr<IniFile> m_settings;
};
