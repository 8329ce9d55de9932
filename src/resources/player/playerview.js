// Runs in the player view on the program's own player page (a local file) only. It turns
// what today's engine cannot play into what it can: the Windows Media Player object of a
// radio page becomes an HTML5 <audio>, playlists (PLS, M3U) are opened and their first
// entry that plays is played, and HLS streams play through hls.js where the engine has no
// HLS of its own.
(function () {
    'use strict';
    if (location.protocol !== 'file:' || window.__kveltoPlayerView)
        return;
    window.__kveltoPlayerView = true;

    const PROXY_KEY = '@KVELTO_PROXY_KEY@';
    const HLS_TYPES = ['application/vnd.apple.mpegurl', 'application/x-mpegurl'];
    const WMP_TYPES = ['application/x-ms-wmp', 'application/x-mplayer2'];
    const MAX_PLAYLIST_DEPTH = 3;
    const SNIFF_BYTES = 64 * 1024;
    const START_TIMEOUT_MS = 15000;

    function absolute(url, base) {
        try {
            const u = new URL(String(url).trim(), base || location.href);
            return (u.protocol === 'http:' || u.protocol === 'https:') ? u.href : null;
        } catch (e) {
            return null;
        }
    }
    // Scripts of a local page may not read other sites' answers; the program reads them on the
    // page's behalf under its own scheme (the media element itself needs no such help).
    function proxied(url) {
        return String(url).replace(/^http(s?):\/\/(?:[^/?#@]*@)?/i, 'kvelto-http$1://' + PROXY_KEY + '@');
    }
    function pathOf(url) {
        try {
            return new URL(url).pathname.toLowerCase();
        } catch (e) {
            return '';
        }
    }
    function bareType(type) {
        return String(type || '').toLowerCase().split(';')[0].trim();
    }
    function looksHls(url, type) {
        return HLS_TYPES.includes(bareType(type)) || pathOf(url).endsWith('.m3u8');
    }
    function looksPlaylist(url) {
        const path = pathOf(url);
        return path.endsWith('.pls') || path.endsWith('.m3u');
    }
    function isHlsText(text) {
        return /^\s*#EXTM3U/.test(text) && /#EXT-X-(TARGETDURATION|STREAM-INF|MEDIA-SEQUENCE)/.test(text);
    }
    function hlsLibrary() {
        if (!window.Hls && typeof window.__kveltoLoadHls === 'function')
            window.__kveltoLoadHls.call(window);
        return window.Hls;
    }

    // The first bytes of an address as text; enough to tell a playlist from a stream. (XHR,
    // not fetch: this engine lets only XHR reach the program's own schemes.)
    function readStart(url) {
        return new Promise((resolve, reject) => {
            const xhr = new XMLHttpRequest();
            let settled = false;
            const settle = ok => {
                if (settled)
                    return;
                settled = true;
                const text = xhr.responseText.slice(0, SNIFF_BYTES);
                if (xhr.readyState !== XMLHttpRequest.DONE)
                    xhr.abort();
                ok ? resolve(text) : reject(new Error('HTTP ' + xhr.status));
            };
            xhr.open('GET', proxied(url), true);
            xhr.setRequestHeader('Range', 'bytes=0-' + (SNIFF_BYTES - 1));
            xhr.onprogress = () => {
                if (xhr.responseText.length >= SNIFF_BYTES)
                    settle(true);
            };
            xhr.onload = () => settle(xhr.status === 0 || (xhr.status >= 200 && xhr.status < 300));
            xhr.onerror = () => settle(false);
            xhr.timeout = START_TIMEOUT_MS;
            xhr.ontimeout = () => settle(false);
            xhr.send();
        });
    }

    // Entries of a PLS (FileN= in the order of N) or an M3U (every line that is not a comment).
    function playlistEntries(text, base) {
        const lines = text.replace(/^\uFEFF/, '').split(/\r\n|\r|\n/);
        const numbered = [];
        if (lines.some(line => /^\s*\[playlist\]\s*$/i.test(line))) {
            for (const line of lines) {
                const m = /^\s*File(\d+)\s*=\s*(.+?)\s*$/i.exec(line);
                if (m)
                    numbered.push([Number(m[1]), m[2]]);
            }
            numbered.sort((a, b) => a[0] - b[0]);
            return numbered.map(e => absolute(e[1], base)).filter(Boolean);
        }
        return lines.map(l => l.trim()).filter(l => l && !l.startsWith('#'))
            .map(l => absolute(l, base)).filter(Boolean);
    }

    function stopCurrent(media) {
        if (media.__kveltoHls) {
            media.__kveltoHls.destroy();
            media.__kveltoHls = null;
        }
    }

    // Resolves true once the element can play, false on an error or when nothing comes.
    function started(media, hls) {
        return new Promise(resolve => {
            let timer = 0;
            const finish = ok => {
                clearTimeout(timer);
                media.removeEventListener('canplay', onPlayable);
                media.removeEventListener('error', onError);
                resolve(ok);
            };
            const onPlayable = () => finish(true);
            const onError = () => {
                media.dataset.kveltoError = media.error ? 'media ' + media.error.code + ' ' + media.error.message : 'media';
                finish(false);
            };
            media.addEventListener('canplay', onPlayable);
            media.addEventListener('error', onError);
            if (hls)
                hls.on(window.Hls.Events.ERROR, (event, data) => {
                    if (data && data.fatal) {
                        media.dataset.kveltoError = String(data.details || data.type);
                        finish(false);
                    }
                });
            timer = setTimeout(() => {
                media.dataset.kveltoError = 'timeout';
                finish(false);
            }, START_TIMEOUT_MS);
        });
    }

    function begin(media) {
        const promise = media.play();
        if (promise)
            promise.catch(() => {});
    }

    async function playHls(media, url) {
        stopCurrent(media);
        if (media.canPlayType('application/vnd.apple.mpegurl')) {
            media.src = url;
            begin(media);
            return started(media, null);
        }
        const Hls = hlsLibrary();
        if (!Hls || !Hls.isSupported())
            return false;
        media.removeAttribute('src');
        const hls = new Hls({
            enableWorker: true,
            lowLatencyMode: false,
            xhrSetup: (xhr, address) => xhr.open('GET', proxied(address), true),
        });
        media.__kveltoHls = hls;
        const ok = started(media, hls);
        hls.on(Hls.Events.MANIFEST_PARSED, () => begin(media));
        hls.loadSource(url);
        hls.attachMedia(media);
        const result = await ok;
        if (!result && media.__kveltoHls === hls)
            stopCurrent(media);
        return result;
    }

    async function playFirst(media, urls, depth) {
        for (const url of urls)
            if (await playOne(media, url, depth))
                return true;
        return false;
    }

    async function playListAt(media, url, depth) {
        if (depth >= MAX_PLAYLIST_DEPTH)
            return false;
        let text;
        try {
            text = await readStart(url);
        } catch (e) {
            return false;
        }
        if (isHlsText(text))
            return playHls(media, url);
        return playFirst(media, playlistEntries(text, url), depth + 1);
    }

    async function playOne(media, url, depth) {
        if (looksHls(url))
            return playHls(media, url);
        if (looksPlaylist(url))
            return playListAt(media, url, depth);
        stopCurrent(media);
        media.src = url;
        begin(media);
        if (await started(media, null))
            return true;
        // Not media the engine knows: perhaps a playlist or HLS behind a plain address.
        return playListAt(media, url, depth);
    }

    function play(media, url) {
        const target = absolute(url);
        if (target)
            playOne(media, target, 0).then(ok => {
                media.dataset.kveltoState = ok ? 'playing' : 'failed';
            });
    }

    function paramOf(object, name) {
        for (const param of object.querySelectorAll('param'))
            if ((param.getAttribute('name') || '').toLowerCase() === name)
                return param.getAttribute('value');
        return null;
    }

    // A Windows Media Player object (or a lone embed of its type) becomes an <audio> of its size.
    function replacePlayer(element) {
        const isObject = element.tagName === 'OBJECT';
        const embed = isObject ? element.querySelector('embed') : element;
        const url = (isObject && (paramOf(element, 'url') || paramOf(element, 'filename'))) ||
                    (embed && embed.getAttribute('src'));
        const audio = document.createElement('audio');
        audio.controls = true;
        audio.autoplay = true;
        const width = parseInt(element.getAttribute('width'), 10) || 360;
        const height = parseInt(element.getAttribute('height'), 10) || 64;
        audio.style.width = width + 'px';
        audio.style.height = height + 'px';
        audio.style.display = 'inline-block';
        const volume = parseInt(isObject ? paramOf(element, 'volume') : element.getAttribute('volume'), 10);
        audio.volume = Number.isFinite(volume) ? Math.min(Math.max(volume, 0), 100) / 100 : 1;
        if (element.id)
            audio.id = element.id;
        element.replaceWith(audio);
        if (url)
            play(audio, url);
    }

    function hlsSourceOf(media) {
        const own = media.getAttribute('src');
        if (own && looksHls(absolute(own) || own, media.getAttribute('type')))
            return own;
        for (const source of media.querySelectorAll('source')) {
            const src = source.getAttribute('src');
            if (src && looksHls(absolute(src) || src, source.getAttribute('type')))
                return src;
        }
        return null;
    }

    function adaptMedia(media) {
        if (media.__kveltoAdapted)
            return;
        media.__kveltoAdapted = true;
        const source = hlsSourceOf(media);
        if (!source || media.canPlayType('application/vnd.apple.mpegurl'))
            return;
        const target = absolute(source);
        if (!target)
            return;
        // An element whose sources all failed waits for a new <source> child; a fresh copy
        // (same attributes, no sources) starts clean.
        const fresh = media.cloneNode(false);
        fresh.removeAttribute('src');
        fresh.__kveltoAdapted = true;
        media.replaceWith(fresh);
        playHls(fresh, target).then(ok => {
            fresh.dataset.kveltoState = ok ? 'playing' : 'failed';
        });
    }

    function adapt(root) {
        if (!root.querySelectorAll)
            return;
        const players = [];
        for (const element of root.querySelectorAll('object[type], embed[type]'))
            if (WMP_TYPES.includes(bareType(element.getAttribute('type'))) &&
                !(element.tagName === 'EMBED' && element.closest('object')))
                players.push(element);
        if (root.matches && root.matches('object[type], embed[type]') &&
            WMP_TYPES.includes(bareType(root.getAttribute('type'))))
            players.push(root);
        players.forEach(replacePlayer);
        for (const media of root.querySelectorAll('audio, video'))
            adaptMedia(media);
        if (root.matches && root.matches('audio, video'))
            adaptMedia(root);
    }

    // A stored TV channel names no size: a stream wider than the view is shown at the view's
    // width (keeping its shape) instead of behind scroll bars. Sizes a page gives stay.
    function fitUnsizedVideos() {
        const style = document.createElement('style');
        style.textContent = 'video:not([width]) { max-width: 100%; height: auto; }';
        (document.head || document.documentElement).appendChild(style);
    }

    function start() {
        fitUnsizedVideos();
        adapt(document);
        new MutationObserver(records => {
            for (const record of records)
                for (const node of record.addedNodes)
                    if (node.nodeType === Node.ELEMENT_NODE)
                        adapt(node);
        }).observe(document.documentElement, {childList: true, subtree: true});
    }

    if (document.readyState === 'loading')
        document.addEventListener('DOMContentLoaded', start, {once: true});
    else
        start();
})();
