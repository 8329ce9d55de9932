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

-- Videos: the address of a web page that embeds the video's player.
INSERT INTO bdf (films, fhttp) VALUES
  ('Ночь живых мертвецов (1968)', 'http://archive.org/details/night_of_the_living_dead'),
  ('Носферату. Симфония ужаса (1922)', 'http://archive.org/details/nosferatu'),
  ('Генерал (1926)', 'http://archive.org/details/TheGeneral'),
  ('Big Buck Bunny', 'http://archive.org/details/BigBuckBunny_124'),
  ('Sintel', 'http://archive.org/details/Sintel');

-- Online TV: a ready HTML fragment that embeds the channel's player.
INSERT INTO bdtv (tv, http) VALUES
  ('NASA TV', '<iframe width="560" height="380" src="https://www.youtube.com/embed/21X5lGlDOfg?autoplay=1" frameborder="0" allowfullscreen></iframe>'),
  ('Al Jazeera English', '<iframe width="560" height="380" src="https://www.youtube.com/embed/gCNeDWCI0vo?autoplay=1" frameborder="0" allowfullscreen></iframe>'),
  ('Blender: открытое кино', '<video width="560" height="380" controls autoplay src="https://commondatastorage.googleapis.com/gtv-videos-bucket/sample/BigBuckBunny.mp4"></video>'),
  ('Слоны мечты', '<video width="560" height="380" controls autoplay src="https://commondatastorage.googleapis.com/gtv-videos-bucket/sample/ElephantsDream.mp4"></video>'),
  ('Tears of Steel', '<video width="560" height="380" controls autoplay src="https://commondatastorage.googleapis.com/gtv-videos-bucket/sample/TearsOfSteel.mp4"></video>');

-- Radio: the station's stream address.
INSERT INTO radiolist (radio, radiolink) VALUES
  ('Радио Рекорд', 'http://radiorecord.hostingradio.ru/rr_main96.aacp'),
  ('Европа Плюс', 'http://ep128.hostingradio.ru:8030/ep128'),
  ('Радио Маяк', 'http://icecast-vgtrk.cdnvideo.ru/mayakfm_mp3_192kbps'),
  ('Radio Paradise', 'http://stream.radioparadise.com/mp3-128'),
  ('SomaFM Groove Salad', 'http://ice1.somafm.com/groovesalad-128-mp3'),
  ('SomaFM Drone Zone', 'http://ice1.somafm.com/dronezone-128-mp3'),
  ('BBC World Service', 'http://stream.live.vc.bbcmedia.co.uk/bbc_world_service'),
  ('Radio Swiss Jazz', 'http://stream.srg-ssr.ch/m/rsj/mp3_128'),
  ('Radio Swiss Classic', 'http://stream.srg-ssr.ch/m/rsc_de/mp3_128'),
  ('FIP', 'http://icecast.radiofrance.fr/fip-midfi.mp3'),
  ('KEXP Сиэтл', 'http://kexp-mp3-128.streamguys1.com/kexp128.mp3');

INSERT INTO fbdf (films, http) VALUES ('Генерал (1926)', 'http://archive.org/details/TheGeneral');
INSERT INTO fbdtv (tv, http) VALUES
  ('NASA TV', '<iframe width="560" height="380" src="https://www.youtube.com/embed/21X5lGlDOfg?autoplay=1" frameborder="0" allowfullscreen></iframe>');
INSERT INTO fbdr (radio, http) VALUES
  ('Radio Paradise', 'http://stream.radioparadise.com/mp3-128'),
  ('Радио Маяк', 'http://icecast-vgtrk.cdnvideo.ru/mayakfm_mp3_192kbps');

COMMIT;
