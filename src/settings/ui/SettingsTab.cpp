#include "settings/ui/SettingsTab.h"

#include "base/Failure.h"
#include "settings/IniFile.h"
#include "settings/ThemeCatalog.h"
#include "settings/ui/ThemeApplier.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace Qt::StringLiterals;

SettingsTab::SettingsTab(Boxes boxes, ThemeApplier& themes, PageFetcher& fetcher, QString configPath)
    : m_boxes(boxes), m_themes(themes), m_fetcher(fetcher), m_configPath(std::move(configPath)) {}

SettingsTab::~SettingsTab() = default;

void SettingsTab::load() {
    m_settings = std::make_unique<IniFile>(m_configPath);
    m_themes.apply(ThemeCatalog::storedName(*m_settings));
    const ProxySettings proxy = ProxySettings::load(*m_settings);
    m_boxes.address.setText(proxy.address);
    m_boxes.port.setText(proxy.port);
    m_boxes.useProxy.setChecked(proxy.use);
    // What the boxes show now is what the fetcher gets.
    proxyBoxes().applyTo(m_fetcher);
}

void SettingsTab::saveProxy() {
    if (!m_settings)
        throw Failure(u"Unable to write to "_s + m_configPath);
    proxyBoxes().save(*m_settings);
}

void SettingsTab::applyChosenTheme() {
    const QString name = m_boxes.themes.currentText();
    m_themes.apply(name);
    if (m_settings)
        ThemeCatalog::storeName(*m_settings, name);
}

ProxySettings SettingsTab::proxyBoxes() const {
    return {m_boxes.address.text(), m_boxes.port.text(), m_boxes.useProxy.isChecked()};
}
