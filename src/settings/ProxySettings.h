#pragma once

#include <QString>

class IniFile;
class PageFetcher;

// The proxy as the settings tab shows it: the address box, the port box (text, not
// checked) and the "use" box.
struct ProxySettings {
    QString address;
    QString port;
    bool use = false;

    // The stored values, or "0", "0" and false where a key is missing.
    [[nodiscard]] static ProxySettings load(const IniFile& settings);
    // The fetcher connects through the proxy only when the box is ticked; the port is
    // set in any case. Throws Failure when the port is not integer text, and with the box
    // ticked when the address is no host name or the port is outside 0..65535; the server
    // has been set by then and the port stays as it was.
    void applyTo(PageFetcher& fetcher) const;
    // A ticked box stores all three; a clear one stores only that it is clear, so the
    // stored address and port stay. Throws Failure when the file cannot be written.
    void save(IniFile& settings) const;
};
