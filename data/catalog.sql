-- Kvelto's catalog: three catalogs and three favorites lists.
-- `scripts/run` turns this file into bdv.db in the working directory.
PRAGMA foreign_keys = OFF;
BEGIN TRANSACTION;

CREATE TABLE bdf (key INTEGER PRIMARY KEY AUTOINCREMENT, films TEXT(255), fhttp TEXT(255));
CREATE TABLE bdtv (key INTEGER PRIMARY KEY AUTOINCREMENT, tv TEXT(255), http TEXT(255));
CREATE TABLE radiolist (key INTEGER PRIMARY KEY AUTOINCREMENT, radio TEXT(255), radiolink TEXT(255));
CREATE TABLE fbdf (key INTEGER PRIMARY KEY AUTOINCREMENT, films TEXT(255), http TEXT(255));
CREATE TABLE fbdtv (key INTEGER PRIMARY KEY AUTOINCREMENT, tv TEXT(255), http TEXT(255));
CREATE TABLE fbdr (key INTEGER PRIMARY KEY AUTOINCREMENT, radio TEXT(255), http TEXT(255));

-- Videos: the address of a web page that carries the video's player. The film archive's
-- pages name their player in Open Graph and player-card tags (and plain http answers with a
-- redirect to https); the last two pages announce an oEmbed player.
INSERT INTO bdf (films, fhttp) VALUES
  ('Ночь живых мертвецов (1968)', 'http://archive.org/details/night_of_the_living_dead'),
  ('Носферату. Симфония ужаса (1922)', 'http://archive.org/details/nosferatu'),
  ('Генерал (1926)', 'http://archive.org/details/TheGeneral'),
  ('Big Buck Bunny', 'https://vimeo.com/1084537'),
  ('Sintel', 'https://www.youtube.com/watch?v=eRsGyueVLvQ');

-- Online TV: a ready HTML fragment that embeds the channel's player: an official embed
-- player, broadcasters' own public HLS streams, and plain MP4.
INSERT INTO bdtv (tv, http) VALUES
  ('NASA TV', '<iframe width="560" height="380" src="https://www.youtube.com/embed/21X5lGlDOfg?autoplay=1" frameborder="0" allowfullscreen></iframe>'),
  ('Al Jazeera English', '<video width="560" height="380" controls autoplay src="https://live-hls-web-aje.getaj.net/AJE/index.m3u8"></video>'),
  ('DW News', '<video width="560" height="380" controls autoplay><source src="https://dwamdstream102.akamaized.net/hls/live/2015525/dwstream102/index.m3u8" type="application/x-mpegURL"></video>'),
  ('Слоны мечты', '<video width="560" height="380" controls autoplay src="https://commondatastorage.googleapis.com/gtv-videos-bucket/sample/ElephantsDream.mp4"></video>'),
  ('Big Buck Bunny (HLS)', '<video width="560" height="380" controls autoplay src="https://test-streams.mux.dev/x36xhzz/x36xhzz.m3u8"></video>');

-- Radio: the station's stream address: a direct stream (MP3 or AAC), a PLS playlist that
-- names the streams, or an HLS playlist.
INSERT INTO radiolist (radio, radiolink) VALUES
  ('Радио Рекорд', 'http://radiorecord.hostingradio.ru/rr_main96.aacp'),
  ('Европа Плюс', 'http://ep128.hostingradio.ru:8030/ep128'),
  ('Радио Маяк', 'http://icecast-vgtrk.cdnvideo.ru/mayakfm_mp3_192kbps'),
  ('Radio Paradise', 'http://stream.radioparadise.com/mp3-128'),
  ('SomaFM Groove Salad', 'https://somafm.com/groovesalad.pls'),
  ('SomaFM Drone Zone', 'https://ice1.somafm.com/dronezone-128-mp3'),
  ('BBC World Service', 'http://stream.live.vc.bbcmedia.co.uk/bbc_world_service'),
  ('Radio Swiss Jazz', 'https://stream.srg-ssr.ch/m/rsj/mp3_128'),
  ('Radio Swiss Classic', 'https://stream.srg-ssr.ch/m/rsc_de/mp3_128'),
  ('FIP', 'https://stream.radiofrance.fr/fip/fip.m3u8?id=radiofrance'),
  ('KEXP Сиэтл', 'https://kexp-mp3-128.streamguys1.com/kexp128.mp3');

INSERT INTO fbdf (films, http) VALUES ('Генерал (1926)', 'http://archive.org/details/TheGeneral');
INSERT INTO fbdtv (tv, http) VALUES
  ('NASA TV', '<iframe width="560" height="380" src="https://www.youtube.com/embed/21X5lGlDOfg?autoplay=1" frameborder="0" allowfullscreen></iframe>');
INSERT INTO fbdr (radio, http) VALUES
  ('Radio Paradise', 'http://stream.radioparadise.com/mp3-128'),
  ('Радио Маяк', 'http://icecast-vgtrk.cdnvideo.ru/mayakfm_mp3_192kbps');

COMMIT;
