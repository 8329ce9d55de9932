#pragma once

#include <QString>

class PageSource;

// Finds the player of a video page that embeds no <object>, as today's video sites
// publish it: oEmbed discovery first, then Open Graph video, then the Twitter card
// player. Everything it reads comes from the network, so every address is resolved,
// restricted to http/https and escaped before it goes into markup.
class VideoPlayerFallback {
public:
    explicit VideoPlayerFallback(PageSource& source);

    // Player markup for the page at `pageAddress` (its final address, after
    // redirects), or an empty text when the page names no player. Never throws: a
    // failed oEmbed download or a malformed page only means "nothing found here".
    [[nodiscard]] QString find(const QString& pageText, const QString& pageAddress);

    // The video page around a player, in place of the template's object.
    [[nodiscard]] static QString page(const QString& playerMarkup);

private:
    PageSource& m_source;
};
